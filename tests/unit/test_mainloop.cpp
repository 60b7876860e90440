#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor.h"
#include "mainloop.h"
#include "misc.h"
#include "recording_screen.h"
#include "test_support.h"
#include "xsystem.h"

namespace {

// Fresh records for one test, with the fake clock running.
class SystemFixture : public ::testing::Test {
protected:
    void SetUp() override { TimerInit(); }

    TestSystem system;
    FakeClock clock;
};

// A screen whose readiness the test switches per pass, recording screenshots.
class LoopScreen : public RecordingScreen {
public:
    LoopScreen() : RecordingScreen("Loop", SCREEN_OPENGL) {}
    int IsReady() override {
        int ready = readiness.empty() ? 1 : readiness.front();
        if (!readiness.empty()) readiness.erase(readiness.begin());
        return ready;
    }
    std::vector<int> readiness;
};

std::vector<std::string> events;
std::vector<int> pumpResults;  // per pass; 1 when run out
int frameResult = 1;

int passMs = 0;  // what each pass takes
int ScriptedPump() {
    FakeClock::Advance(passMs);
    int result = pumpResults.empty() ? 1 : pumpResults.front();
    if (!pumpResults.empty()) pumpResults.erase(pumpResults.begin());
    return result;
}
int RecordLoad(EditorRun&, int saverOnly) {
    events.push_back("load" + std::to_string(saverOnly));
    return 1;
}
int FailLoad(EditorRun&, int) {
    events.push_back("load failed");
    return 0;
}
std::vector<float> frameSeconds;
int RecordFrame(EditorRun&, float seconds) {
    events.push_back("frame");
    frameSeconds.push_back(seconds);
    EXPECT_GE(seconds, 0.0f);
    return frameResult;
}
void RecordTeardown(EditorRun&) {
    events.push_back("teardown");
}

class MainLoopTest : public SystemFixture {
protected:
    void SetUp() override {
        SystemFixture::SetUp();
        glb->currentScreen = &screen;
        savedHooks = AppHooks();
        AppHooks() = {RecordLoad, RecordFrame, RecordTeardown};
        Platform().pumpMessages = ScriptedPump;
        events.clear();
        pumpResults.clear();
        frameResult = 1;
        passMs = 0;
        SetMainState(STATE_START);
    }
    void TearDown() override {
        AppHooks() = savedHooks;
        SetMainState(STATE_START);
        SystemFixture::TearDown();
    }

    LoopScreen screen;
    AppFrameHooks savedHooks;
    EditorRun app;
};

TEST_F(MainLoopTest, StatesRunInOrderUntilTheFrameLeaves) {
    frameResult = 1;
    EXPECT_EQ(MainLoop(app, 0), 1);
    EXPECT_EQ(GetMainState(), STATE_LOAD);
    EXPECT_EQ(MainLoop(app, 0), 1);
    EXPECT_EQ(GetMainState(), STATE_RUN);
    EXPECT_EQ(MainLoop(app, 0), 1);
    EXPECT_EQ(GetMainState(), STATE_RUN);
    frameResult = 2;  // treated like leaving
    EXPECT_EQ(MainLoop(app, 0), 1);
    EXPECT_EQ(GetMainState(), STATE_STOP);
    EXPECT_EQ(MainLoop(app, 1), 0);
    EXPECT_EQ(GetMainState(), STATE_EXIT);
    // No screensaver state: the editor's load (saver-only flag 0 means the editor).
    EXPECT_EQ(events, (std::vector<std::string>{"load1", "frame", "frame", "teardown"}));
}

TEST_F(MainLoopTest, QuitDuringRunStopsInOrder) {
    SetMainState(STATE_RUN);
    pumpResults = {0};
    EXPECT_EQ(MainLoop(app, 1), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"frame", "teardown"}));
}

TEST_F(MainLoopTest, QuitDuringLoadEndsAtOnce) {
    SetMainState(STATE_START);
    EXPECT_EQ(MainLoop(app, 0), 1);
    pumpResults = {0};
    EXPECT_EQ(MainLoop(app, 1), 1);
    EXPECT_EQ(GetMainState(), STATE_RUN);
    EXPECT_EQ(events, (std::vector<std::string>{"load1"}));
}

TEST_F(MainLoopTest, FailedLoadStillTearsDown) {
    AppHooks().load = FailLoad;
    EXPECT_EQ(MainLoop(app, 1), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"load failed", "teardown"}));
}

TEST_F(MainLoopTest, NotReadyScreenSkipsTheWholeFrame) {
    SetMainState(STATE_RUN);
    screen.readiness = {0, 0, 1};
    int32_t frames = FrameCounter();
    frameResult = 0;
    EXPECT_EQ(MainLoop(app, 0), 1);
    EXPECT_EQ(FrameCounter(), frames + 1);
    EXPECT_EQ(events, (std::vector<std::string>{"frame"}));
    EXPECT_TRUE(screen.readiness.empty());
    // Not ready and asked to quit: the loop ends without a step.
    SetMainState(STATE_RUN);
    events.clear();
    screen.readiness = {0};
    pumpResults = {0};
    EXPECT_EQ(MainLoop(app, 1), 1);
    EXPECT_TRUE(events.empty());
}

TEST_F(MainLoopTest, TheReadyFrameAfterNotReadyOnesGetsTheWholeElapsedTime) {
    SetMainState(STATE_RUN);
    passMs = 20;
    frameSeconds.clear();
    ASSERT_EQ(MainLoop(app, 0), 1);
    // Three passes the screen cannot draw, each taking 20 ms, then one it can: the
    // frame covers all four passes, not only its own.
    screen.readiness = {0, 0, 0, 1};
    ASSERT_EQ(MainLoop(app, 0), 1);
    ASSERT_EQ(frameSeconds.size(), 2u);
    EXPECT_NEAR(frameSeconds[1], 0.080f, 0.0015f);
    ASSERT_EQ(MainLoop(app, 0), 1);
    EXPECT_NEAR(frameSeconds[2], 0.020f, 0.0015f);
}

// Handler registration and dispatch.
class Recorder : public MessageHandler {
public:
    Recorder(const char* name, int32_t result) : name(name), result(result) {}
    int32_t HandleMessage(WindowHandle, uint32_t message, uintptr_t, intptr_t) override {
        events.push_back(std::string(name) + ":" + std::to_string(message));
        return result;
    }
    const char* name;
    int32_t result;
};

using MessageHandlers = SystemFixture;

TEST_F(MessageHandlers, RegistrationOrderAndFirstNonZeroResult) {
    events.clear();
    Recorder first("first", 0), second("second", 5), third("third", 9);
    EXPECT_EQ(RegisterMessageHandler(&first, 100), 1);
    EXPECT_EQ(RegisterMessageHandler(&second, 100), 1);
    EXPECT_EQ(RegisterMessageHandler(&second, 100), 1);  // already there: one entry
    EXPECT_EQ(RegisterMessageHandler(&third, 100), 1);
    EXPECT_EQ(RegisterMessageHandler(&third, 200), 1);
    EXPECT_EQ(sglb->handlerList->Count(), 4);
    int32_t result = -1;
    EXPECT_TRUE(DispatchToHandlers(1, 100, 0, 0, &result));
    EXPECT_EQ(result, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"first:100", "second:100", "third:100"}));
    // Nobody handles 300.
    EXPECT_FALSE(DispatchToHandlers(1, 300, 0, 0, &result));
    EXPECT_EQ(result, 0);
    UnregisterMessageHandler(&second, 100);
    EXPECT_EQ(sglb->handlerList->Count(), 3);
}

TEST_F(MessageHandlers, UnregisterAllRemovesEveryEntryOfTheObject) {
    Recorder many("many", 0), other("other", 0);
    for (uint32_t message = 1; message <= 13; ++message) RegisterMessageHandler(&many, message);
    RegisterMessageHandler(&other, 5);
    RegisterMessageHandler(&many, 14);
    UnregisterAllMessageHandlers(&many);
    LList* list = sglb->handlerList;
    ASSERT_EQ(list->Count(), 1);
    list->First();
    EXPECT_EQ(static_cast<MessageHandlerEntry*>(list->Current())->handler, &other);
    UnregisterAllMessageHandlers(&other);
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(MessageHandlers, AHandlerIsUnregisteredByItsDestructor) {
    {
        Recorder temporary("temporary", 1);
        RegisterMessageHandler(&temporary, 7);
        EXPECT_EQ(sglb->handlerList->Count(), 1);
    }
    EXPECT_EQ(sglb->handlerList->Count(), 0);
}

}  // namespace
