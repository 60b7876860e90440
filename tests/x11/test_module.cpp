// The XScreenSaver module (the sanitized build's bin/novadrift) on a private Xvfb with
// Mesa's software OpenGL: what it draws and where, how it follows its window, and how
// SIGTERM ends it.
// gtest before Xlib, whose None and Bool macros would rename gtest's own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "x11_support.h"

namespace {

const char* const kModule = NOVADRIFT_MODULE;

// One run of the module with a user folder of its own, its standard error in a file.
class ModuleRun {
public:
    ModuleRun(const PrivateDisplay& display, std::vector<std::string> options,
              const std::string& extraVariable = "") {
        options.insert(options.begin(), kModule);
        std::vector<std::string> environment = {"DISPLAY=" + display.Name(),
                                                "XDG_CONFIG_HOME=" + folder.Path(),
                                                "HOME=/nonexistent", "PATH=/usr/bin:/bin"};
        if (!extraVariable.empty()) environment.push_back(extraVariable);
        child = std::make_unique<Child>(options, environment, folder.Path() + "/out.txt",
                                        folder.Path() + "/errors.txt");
    }

    std::string Log() const { return ReadFileText(folder.Path() + "/novadrift/Novadrift.log"); }
    std::string Errors() const { return ReadFileText(folder.Path() + "/errors.txt"); }
    Child& Process() { return *child; }

    // SIGTERM: the run ends in order within 0.5 s, with status 0, nothing from the
    // sanitizers or an error box on its standard error, and the log's closing banner.
    void EndWithSigterm() {
        ASSERT_TRUE(child->Running()) << Errors();
        const auto sent = std::chrono::steady_clock::now();
        kill(child->Pid(), SIGTERM);
        const bool ended = child->WaitExit(5.0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        ASSERT_TRUE(ended) << "still running 5 s after SIGTERM";
        EXPECT_LE(seconds, 0.5);
        EXPECT_TRUE(WIFEXITED(child->WaitStatus()) && WEXITSTATUS(child->WaitStatus()) == 0)
            << "wait status " << child->WaitStatus() << "\n"
            << Errors();
        const std::string errors = Errors();
        for (const char* sign : {"Sanitizer", "runtime error", "[Error]"})
            EXPECT_EQ(errors.find(sign), std::string::npos) << errors;
        const std::string log = Log();
        EXPECT_NE(log.find("WM_QUIT rescived"), std::string::npos);
        EXPECT_NE(log.find("--- Application returned at"), std::string::npos) << log;
    }

private:
    TempDirectory folder;
    std::unique_ptr<Child> child;
};

bool Scene(const SceneCount& count, int stars) {
    return count.cloudShare >= 0.10 && count.starPixels >= stars;
}

std::string DocsPicture(const char* name) {
    mkdir(NOVADRIFT_DOCS_DIR, 0755);
    return std::string(NOVADRIFT_DOCS_DIR) + "/" + name;
}

// Pixels of the picture outside the rectangle that are not the colour given.
long OthersOutside(const Picture& picture, int x0, int y0, int width, int height,
                   const uint8_t colour[3]) {
    long others = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (x >= x0 && x < x0 + width && y >= y0 && y < y0 + height) continue;
            const uint8_t* p = picture.At(x, y);
            if (p[0] != colour[0] || p[1] != colour[1] || p[2] != colour[2]) ++others;
        }
    return others;
}

TEST(Module, OnTheRootWindowStarsAndCloudFillEveryQuadrant) {
    PrivateDisplay display(1024, 768);
    ModuleRun run(display, {"-root"});
    Window root = DefaultRootWindow(display.Connection());
    // The title in the middle is bright too: the stars are counted around it.
    const int title[4] = {180, 280, 660, 280};
    Picture picture;
    const bool drawn = WaitFor(
        [&] {
            picture = Grab(display.Connection(), root);
            for (int quadrant = 0; quadrant < 4; ++quadrant)
                if (!Scene(CountScene(picture, quadrant % 2 * 512, quadrant / 2 * 384, 512, 384,
                                      title),
                           3))
                    return false;
            return true;
        },
        60.0);
    SavePng(picture, DocsPicture("module-root.png"));
    ASSERT_TRUE(drawn) << run.Errors() << run.Log();
    run.EndWithSigterm();
}

TEST(Module, AGivenWindowOnlyAtItsSizeAsItChangesAndNothingWhileUnmappedOrCovered) {
    PrivateDisplay display(800, 600);
    Display* x = display.Connection();
    Window root = DefaultRootWindow(x);
    // The root in one colour, to see that nothing is drawn outside the window.
    const uint8_t rootColour[3] = {200, 40, 160};
    XSetWindowBackground(x, root, 0xC828A0);
    XClearWindow(x, root);
    Window window = XCreateSimpleWindow(x, root, 120, 90, 400, 300, 0, 0, 0x006400);
    XSelectInput(x, window, StructureNotifyMask);
    XMapWindow(x, window);
    XSync(x, False);

    char number[32];
    std::snprintf(number, sizeof number, "0x%lx", window);
    ModuleRun run(display, {"-window-id", number});
    // The window at that size, with the scene from fromX to its right edge.
    auto shows = [&](int fromX, int width, int height) {
        return WaitFor(
            [&] {
                Picture inside = Grab(x, window);
                return inside.width == width && inside.height == height &&
                       Scene(CountScene(inside, fromX, 0, width - fromX, height), 0);
            },
            60.0);
    };
    ASSERT_TRUE(shows(0, 400, 300)) << run.Errors() << run.Log();
    EXPECT_EQ(OthersOutside(Grab(x, root), 120, 90, 400, 300, rootColour), 0);

    // Larger: the module follows, and the new strip on the right is drawn too.
    XResizeWindow(x, window, 560, 360);
    XSync(x, False);
    ASSERT_TRUE(
        WaitFor([&] { return run.Log().find("Window size : 560x360") != std::string::npos; }, 30.0))
        << run.Log();
    ASSERT_TRUE(shows(400, 560, 360)) << run.Log();
    Picture screen = Grab(x, root);
    SavePng(screen, DocsPicture("module-window.png"));
    EXPECT_EQ(OthersOutside(screen, 120, 90, 560, 360, rootColour), 0);

    // Unmapped, or covered whole by another window, it rests: its main thread no longer
    // wakes for frames.
    const pid_t pid = run.Process().Pid();
    auto rests = [&] {
        long wakes = MainThreadWakes(pid);
        if (!WaitFor(
                [&] {
                    const long before = wakes;
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                    wakes = MainThreadWakes(pid);
                    return wakes - before <= 1;
                },
                30.0))
            return false;
        const double cpuBefore = ProcessCpuSeconds(pid);
        const long wakesBefore = MainThreadWakes(pid);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return MainThreadWakes(pid) - wakesBefore <= 3 &&
               ProcessCpuSeconds(pid) - cpuBefore <= 0.05;
    };
    XUnmapWindow(x, window);
    XSync(x, False);
    EXPECT_TRUE(rests()) << "the main thread kept waking after the window was unmapped";

    // Mapped again (the server clears it to its green), it draws again.
    XMapWindow(x, window);
    XSync(x, False);
    EXPECT_TRUE(shows(0, 560, 360)) << run.Log();

    Window cover = XCreateSimpleWindow(x, root, 100, 80, 600, 400, 0, 0, 0x000080);
    XMapWindow(x, cover);
    XSync(x, False);
    EXPECT_TRUE(rests()) << "the main thread kept waking while the window was covered";
    XDestroyWindow(x, cover);
    XSync(x, False);
    EXPECT_TRUE(shows(0, 560, 360)) << run.Log();
    run.EndWithSigterm();
}

// The top-level window of that name on the display, or 0.
Window FindTopLevel(Display* x, const char* name) {
    Window root = DefaultRootWindow(x), parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(x, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(x, children[i], &title) && title && std::string(title) == name)
            found = children[i];
        if (title) XFree(title);
    }
    if (children) XFree(children);
    return found;
}

TEST(Module, WithoutAWindowItOpensItsOwnAndClosingItEndsTheRun) {
    PrivateDisplay display(800, 600);
    Display* x = display.Connection();
    ModuleRun run(display, {});
    Window own = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            own = FindTopLevel(x, "Novadrift");
            if (!own) return false;
            const Picture inside = Grab(x, own);
            return inside.width == 640 && inside.height == 480 &&
                   Scene(CountScene(inside, 0, 0, 640, 480), 0);
        },
        60.0))
        << run.Errors() << run.Log();
    // As a window manager asks it to close.
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = own;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, own, False, NoEventMask, &close);
    XSync(x, False);
    ASSERT_TRUE(run.Process().WaitExit(10.0));
    EXPECT_TRUE(WIFEXITED(run.Process().WaitStatus()) &&
                WEXITSTATUS(run.Process().WaitStatus()) == 0)
        << run.Errors();
    EXPECT_NE(run.Log().find("The window was closed"), std::string::npos);
    EXPECT_NE(run.Log().find("--- Application returned at"), std::string::npos);
    EXPECT_EQ(FindTopLevel(x, "Novadrift"), 0u);
}

TEST(Module, BadOptionsAndAMissingWindowEndWithAMessage) {
    TempDirectory folder;
    auto runToEnd = [&](const std::vector<std::string>& options, const std::string& display) {
        std::vector<std::string> argv = {kModule};
        argv.insert(argv.end(), options.begin(), options.end());
        Child child(argv, {"DISPLAY=" + display, "XDG_CONFIG_HOME=" + folder.Path()},
                    folder.Path() + "/out.txt", folder.Path() + "/errors.txt");
        EXPECT_TRUE(child.WaitExit(30.0));
        return WIFEXITED(child.WaitStatus()) ? WEXITSTATUS(child.WaitStatus()) : -1;
    };
    EXPECT_EQ(runToEnd({"--help"}, ":0"), 0);
    EXPECT_NE(ReadFileText(folder.Path() + "/out.txt").find("-window-id ID"), std::string::npos);
    EXPECT_EQ(runToEnd({"-window-id", "12abc"}, ":0"), 1);
    EXPECT_NE(ReadFileText(folder.Path() + "/errors.txt").find("-window-id needs a window number"),
              std::string::npos);

    PrivateDisplay display(320, 240);
    EXPECT_EQ(runToEnd({"-window-id", "0x7fffff0"}, display.Name()), 1);
    EXPECT_NE(ReadFileText(folder.Path() + "/errors.txt").find("There is no X window 0x7fffff0"),
              std::string::npos)
        << ReadFileText(folder.Path() + "/errors.txt");
}

}  // namespace
