#include "recording_screen.h"

#include <cstdio>
#include <cstring>

#include "ansi/memory.h"
#include "misc.h"
#include "xsystem.h"

RecordingScreen::RecordingScreen(const char* screenName, int32_t screenKind)
    : Screen(screenName, screenKind) {}

RecordingScreen::~RecordingScreen() = default;

std::vector<std::string>& RecordingScreen::SharedLog() {
    static std::vector<std::string> log;
    return log;
}

void RecordingScreen::Record(const std::string& call) {
    calls.push_back(call);
    SharedLog().push_back(std::string(Name()) + ":" + call);
}

std::string RecordingScreen::Calls() const {
    std::string joined;
    for (const std::string& call : calls) {
        if (!joined.empty()) joined += "; ";
        joined += call;
    }
    return joined;
}

namespace {

std::string Format(const char* format, long a = 0, long b = 0, long c = 0, long d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

}  // namespace

int RecordingScreen::InitInWindow(WindowHandle parentWindow, int32_t depthBuffer) {
    Record(Format("InitInWindow %ld %ld", long(parentWindow), long(depthBuffer)));
    // A host window of 152 x 112, the size of the platform's preview window.
    ScreenMode child;
    std::memset(&child, 0, sizeof child);
    child.width = 152;
    child.height = 112;
    child.depthBuffer = depthBuffer;
    child.displayMode = DISPLAY_CHILD;
    return InitMode(&child);
}

int RecordingScreen::InitMode(const ScreenMode* newMode) {
    if (!newMode) {
        Record("InitMode null");
        return 0;
    }
    Record(Format("InitMode %ldx%ldx%ld d%ld", newMode->width, newMode->height, newMode->bits,
                  newMode->displayMode));
    lastInitMode = *newMode;
    if (!initModeResult) return 0;
    KeepMode(newMode);
    SetTarget(newMode->width, newMode->height, nullptr, 0, 0);
    return 1;
}

int RecordingScreen::ExitMode() {
    Record("ExitMode");
    FreeMode();
    FreeModeList();
    return 1;
}

int RecordingScreen::GetModeList() {
    Record("GetModeList");
    if (!modeListResult) return SetErrorText("Mode list failed");
    if (modesListed) return 1;
    modesListed = 1;
    for (const OfferedMode& offered : offeredModes)
        if (offered.displayMode != DISPLAY_DESKTOP &&
            !AddListedMode(offered.width, offered.height, offered.bits, offered.displayMode))
            return 0;
    SortModeList();
    // The desktop mode heads the list, as on the platform's screens.
    for (const OfferedMode& offered : offeredModes)
        if (offered.displayMode == DISPLAY_DESKTOP &&
            !AddDesktopMode(offered.width, offered.height, offered.bits))
            return 0;
    return 1;
}

int RecordingScreen::SupportsDisplayMode(int32_t displayMode) {
    Record(Format("SupportsDisplayMode %ld", displayMode));
    return displayMode >= 0 && displayMode <= 4 ? supportsResult[displayMode] : 0;
}

int RecordingScreen::IsReady() {
    Record("IsReady");
    return 1;
}

int RecordingScreen::IsAvailable() {
    Record("IsAvailable");
    return available;
}

int RecordingScreen::Present() {
    Record("Present");
    ResetDrawCounters();
    return 1;
}

int RecordingScreen::SaveSelection(void* devicePart) {
    Record("SaveSelection");
    std::memcpy(devicePart, deviceBytes, sizeof deviceBytes);
    return 1;
}

int RecordingScreen::MatchSelection(const void* devicePart, int32_t flag) {
    Record(Format("MatchSelection %ld", flag));
    lastDevicePart = devicePart;
    return matchResult;
}

int RecordingScreen::BeginScene() {
    Record("BeginScene");
    return 1;
}

int RecordingScreen::EndScene() {
    Record("EndScene");
    return 1;
}

int RecordingScreen::Clear(const Rgba* colour, float fade, int32_t flags) {
    Record(Format("Clear %ld %ld", colour ? 1 : 0, long(fade * 100), flags));
    return 1;
}

int RecordingScreen::DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count,
                                   int32_t flags) {
    if (!CheckPrimitive(kind, vertices, count, quadMessage)) return 0;
    if (kind < 0 || kind >= PRIM_KIND_COUNT) return 1;
    Record(Format("Draw %ld %ld %ld", kind, count, flags));
    CountPrimitive(kind, count);
    return 1;
}

int RecordingScreen::SaveScreenshot(const char* fileName, int32_t flag) {
    Record(std::string("SaveScreenshot ") + fileName + Format(" %ld", flag));
    return 1;
}

int RecordingScreen::SetSurface(const CSurface* surface) {
    Record(Format("SetSurface %ld", long(surfaces.size())));
    surfaces.push_back(surface);
    return 1;
}

int RecordingScreen::SetView(const Camera* camera) {
    Record(camera ? "SetView camera" : "SetView null");
    return 1;
}

int RecordingScreen::SetRenderState(int32_t state, int32_t value) {
    lastRenderValue = StoreRenderState(state, value);
    Record(Format("SetRenderState %ld %ld", state, lastRenderValue));
    return 1;
}

int RecordingScreen::BindTexture(Texture* texture) {
    Record("BindTexture");
    return texture ? 1 : 0;
}

OwnScreenList::OwnScreenList() : savedGlb(glb) {
    glb = XNEW(AppGlobals);
    glb->screenList = XNEW(LList);
    RecordingScreen::SharedLog().clear();
    ClearError();
}

OwnScreenList::~OwnScreenList() {
    for (RecordingScreen* screen : made) XDELETE(screen);
    XDELETE(glb->screenList);
    XDELETE(glb);
    glb = savedGlb;
    ClearError();
}

RecordingScreen* OwnScreenList::MakeScreen(const char* name, int32_t kind, bool listed) {
    RecordingScreen* screen = XNEW(RecordingScreen, name, kind);
    made.push_back(screen);
    if (listed) glb->screenList->AddBack(screen);
    return screen;
}
