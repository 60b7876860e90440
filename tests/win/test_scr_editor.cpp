// The in-saver editor end to end: Novadrift.scr started without a switch and driven
// with real input (SendInput), checked from its window's pixels, its log and the
// background file it saves.
//
// Input reaches the program in order, but it takes the pointer's movement and at most
// one button edge per frame. So every move waits until the program draws its pointer at
// a new place (a frame has used it); whatever was sent before the move has been handled
// by then. Under Wine a move can reach the program twice (the X server's crossing
// events repeat it), so the pointer is found on the screen after each move and steered
// until it is where it should be. Places come from the shipped data/gui.cfg (panel at
// x 480).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "scr_driver.h"

namespace {

struct Area {
    int left, top, right, bottom;  // right and bottom excluded
};

const Area kScene = {0, 0, 480, 466};
// The scene above the intro's logo and lines of text.
const Area kSceneTop = {0, 0, 480, 170};
// Between the panel's groups, where only the panel's own colour shows.
const Area kPanelGap = {558, 30, 563, 410};
// Right of the properties panel's slider wells, inside its area.
const Area kPropertiesGap = {466, 300, 474, 400};
// The prompt's box between its buttons, below its text.
const Area kPromptGap = {300, 240, 380, 262};
const Area kRightQuarter = {480, 0, 640, 480};

const Pixel kPanelColour = {24, 30, 40};
const Pixel kPromptColour = {30, 40, 50};
const Pixel kTrackColour = {110, 120, 130};
const Pixel kHighlightedTrack = {140, 150, 160};
const Pixel kKnobColour = {100, 120, 140};

bool Near(const Pixel& p, const Pixel& q, int tolerance = 3) {
    return std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance &&
           std::abs(p.b - q.b) <= tolerance;
}

double Share(const Shot& shot, const Area& area, const std::function<bool(const Pixel&)>& test) {
    int hits = 0, all = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x, ++all) hits += test(shot.At(x, y));
    return all ? double(hits) / all : 0.0;
}

double ShareOf(const Shot& shot, const Area& area, const Pixel& colour) {
    return Share(shot, area, [&](const Pixel& p) { return Near(p, colour); });
}

bool PanelShown(const Shot& shot) {
    return ShareOf(shot, kPanelGap, kPanelColour) > 0.8;
}

bool PropertiesShown(const Shot& shot) {
    return ShareOf(shot, kPropertiesGap, kPanelColour) > 0.9;
}

bool PromptShown(const Shot& shot) {
    return ShareOf(shot, kPromptGap, kPromptColour) > 0.9;
}

// A slider of gui.cfg (x, y as in the file) has its track drawn: the middle column of
// its box in the track's colour, save the knob and markers.
bool SliderAt(const Shot& shot, int x, int y, bool highlighted = false) {
    const Area column = {480 + x + 8, y + 19, 480 + x + 9, y + 97};
    return ShareOf(shot, column, highlighted ? kHighlightedTrack : kTrackColour) > 0.5;
}

// Page 13 has the background colour sliders in its first column, page 14 the star
// count in its third row, where page 13 has none.
bool Page13(const Shot& shot) {
    return SliderAt(shot, 11, 43) && !SliderAt(shot, 11, 299);
}

bool Page14(const Shot& shot) {
    return SliderAt(shot, 11, 43) && SliderAt(shot, 11, 299);
}

// The white pixels of the pointer's picture (textures/pointer.bmp beside the program,
// 24-bit, rows bottom-up): where the pointer is drawn, additively, they stay white.
std::vector<std::pair<int, int>> PointerWhites() {
    std::vector<std::pair<int, int>> whites;
    const std::string bmp = ReadFileText(TestProgramDirectory() + "textures\\pointer.bmp");
    if (bmp.size() < 54) return whites;
    auto le32 = [&bmp](size_t at) {
        return int(uint8_t(bmp[at]) | uint8_t(bmp[at + 1]) << 8 | uint8_t(bmp[at + 2]) << 16 |
                   uint8_t(bmp[at + 3]) << 24);
    };
    const int offset = le32(10), width = le32(18), height = le32(22);
    const int pitch = (width * 3 + 3) & ~3;
    if (bmp[28] != 24 || bmp.size() < size_t(offset + pitch * height)) return whites;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(
                &bmp[size_t(offset + (height - 1 - y) * pitch + 3 * x)]);
            if (p[0] >= 250 && p[1] >= 250 && p[2] >= 250) whites.push_back({x, y});
        }
    return whites;
}

// Near the right or bottom edge only the part of the pointer on the screen counts.
bool PointerAt(const Shot& shot, int x, int y) {
    static const std::vector<std::pair<int, int>> whites = PointerWhites();
    size_t seen = 0;
    for (const auto& [dx, dy] : whites) {
        if (x + dx >= shot.width || y + dy >= shot.height) continue;
        const Pixel& p = shot.At(x + dx, y + dy);
        if (std::min({p.r, p.g, p.b}) < 245) return false;
        ++seen;
    }
    return seen >= 12 && seen * 3 >= whites.size();
}

bool FindPointer(const Shot& shot, int* x, int* y) {
    for (int py = 0; py < shot.height; ++py)
        for (int px = 0; px < shot.width; ++px)
            if (PointerAt(shot, px, py)) {
                *x = px;
                *y = py;
                return true;
            }
    return false;
}

// The first row of a slider column in the knob's colour; -1 when none is.
int KnobRow(const Shot& shot, int x, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        if (Near(shot.At(x, y), {100, 120, 140}, 3)) return y;
    return -1;
}

// Places lit by stars: 6 x 6 cells that hold a near-white pixel, outside the pointer's
// picture at (pointerX, pointerY).
int StarPlaces(const Shot& shot, const Area& area, int pointerX, int pointerY) {
    int places = 0;
    for (int top = area.top; top + 6 <= area.bottom; top += 6)
        for (int left = area.left; left + 6 <= area.right; left += 6) {
            if (left + 6 > pointerX && left < pointerX + 32 && top + 6 > pointerY &&
                top < pointerY + 32)
                continue;
            bool lit = false;
            for (int y = top; y < top + 6 && !lit; ++y)
                for (int x = left; x < left + 6 && !lit; ++x) {
                    const Pixel& p = shot.At(x, y);
                    lit = std::min({p.r, p.g, p.b}) >= 170;
                }
            places += lit;
        }
    return places;
}

// The top of a gui.cfg slider's knob for a value: the track starts 19 below the box,
// the knob is 5 high, and the track runs a margin of 7 units' worth beyond the range.
double KnobTop(double y, double height, double top, double bottom, double value) {
    const double trackY = y + 19, track = height - 19, knob = 5;
    const double direction = top > bottom ? 1 : -1;
    const double margin = (knob + 2) * std::fabs(bottom - top) / (track - knob);
    const double topEnd = top + direction * margin, bottomEnd = bottom - direction * margin;
    return trackY + (track - knob) * (value - topEnd) / (bottomEnd - topEnd);
}

// The value of a gui.cfg slider whose knob's top is at row y: KnobTop turned round.
double KnobValue(double y, double height, double top, double bottom, double knobTop) {
    const double at = KnobTop(y, height, top, bottom, top),
                 below = KnobTop(y, height, top, bottom, bottom);
    return top + (bottom - top) * (knobTop - at) / (below - at);
}

// One field of a channel in a background file: 0 flags, 1 mode, 2 value, 3 low, 4 high,
// 5-8 transition random, time, low, high, 9-12 hold random, time, low, high.
size_t FieldOffset(const std::string& file, const char* keyword, int field) {
    const size_t at = file.find(std::string(keyword, std::strlen(keyword) + 1));
    if (at == std::string::npos) return at;
    return at + std::strlen(keyword) + 1 + 4 + 4 * size_t(field);
}

float FloatField(const std::string& file, const char* keyword, int field) {
    float value = NAN;
    size_t at = FieldOffset(file, keyword, field);
    if (at != std::string::npos && at + 4 <= file.size()) std::memcpy(&value, &file[at], 4);
    return value;
}

void SetField(std::string& file, const char* keyword, int field, const void* value) {
    size_t at = FieldOffset(file, keyword, field);
    ASSERT_NE(at, std::string::npos) << keyword;
    std::memcpy(&file[at], value, 4);
}

// Two captures of the same frame: the scene above the intro is the same to the pixel.
bool SameScene(const Shot& a, const Shot& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return false;
    for (int y = kSceneTop.top; y < kSceneTop.bottom; ++y)
        for (int x = kSceneTop.left; x < kSceneTop.right; ++x) {
            const Pixel& p = a.At(x, y);
            const Pixel& q = b.At(x, y);
            if (p.r != q.r || p.g != q.g || p.b != q.b) return false;
        }
    return true;
}

bool CursorCentred() {
    POINT cursor;
    return GetCursorPos(&cursor) && cursor.x == 320 && cursor.y == 240;
}

// One run of the editor, with where its pointer is.
class EditorRun {
public:
    // Started without a switch, loaded, in front, and drawing its pointer.
    void Start() {
        // The OpenGL screen: its 32-bit pixel format keeps the panel's colours exact.
        SettingsValues openGl;
        openGl.screenKind = 1;
        WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", openGl);
        ASSERT_TRUE(session.Start(""));
        ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init")) << "not loaded";
        ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000)) << "not in front";
        ASSERT_TRUE(session.WaitUntil(CursorCentred, 10000)) << "cursor not taken";
        ASSERT_TRUE(WaitForShot([](const Shot& shot) { return PointerAt(shot, 0, 0); }))
            << "no pointer at the top left";
        ASSERT_EQ(last.width, 640);
        ASSERT_EQ(last.height, 480);
    }
    // Until a capture of the window passes; the capture is kept in `last`.
    bool WaitForShot(const std::function<bool(const Shot&)>& test, unsigned timeoutMs = 10000) {
        return session.WaitUntil(
            [&] {
                last = CaptureScrWindow();
                return last.width == 640 && last.height == 480 && test(last);
            },
            timeoutMs);
    }
    // The cursor moved away from the middle of the screen, where the program keeps it
    // between frames: the program's pointer moves by that, or a multiple of it.
    static bool MoveBy(int dx, int dy) { return PlacePointer(320 + dx, 240 + dy); }
    // The pointer steered to within the tolerance of (x, y). A move may count more than
    // once (twice, as a rule), so each is scaled by how many times the last long one
    // counted and kept short enough to stay on the screen even three times over; a move
    // that does not arrive is made again.
    void MoveTo(int x, int y, int toleranceX = 3, int toleranceY = 3) {
        ASSERT_TRUE(FindPointerOrBringBack()) << "no pointer";
        auto part = [](int from, int to, int tolerance, int limit, double gain) {
            if (std::abs(to - from) <= tolerance) return 0;
            int move = int(std::lround((to - from) / gain));
            if (move == 0) move = to > from ? 1 : -1;
            const int room = std::max(1, (move > 0 ? limit - from : from) / 3);
            return std::max(-room, std::min(room, move));
        };
        for (int step = 0; step < 60; ++step) {
            const int moveX = part(pointerX, x, toleranceX, 636, gainX);
            const int moveY = part(pointerY, y, toleranceY, 476, gainY);
            if (!moveX && !moveY) return;
            const int fromX = pointerX, fromY = pointerY;
            ASSERT_TRUE(MoveBy(moveX, moveY)) << "xdotool";
            const bool moved = WaitForShot(
                [&](const Shot& shot) {
                    int nowX, nowY;
                    return FindPointer(shot, &nowX, &nowY) && (nowX != fromX || nowY != fromY);
                },
                2000);
            // The rest of a move may come a frame later: the place counts once it holds.
            // A move that did not arrive is made again; a pointer that does not come to
            // rest, or went over the edge, is looked for again.
            if (!moved || !PointerHolds()) {
                ASSERT_TRUE(FindPointerOrBringBack()) << "no pointer";
                continue;
            }
            if (std::abs(moveX) >= 4)
                gainX = std::clamp(double(pointerX - fromX) / moveX, 1.0, 4.0);
            if (std::abs(moveY) >= 4)
                gainY = std::clamp(double(pointerY - fromY) / moveY, 1.0, 4.0);
        }
        FAIL() << "pointer at " << pointerX << ", " << pointerY << " for " << x << ", " << y;
    }
    // Until the program has drawn two frames after the call: the second began after
    // what was sent before the call had reached its queue.
    bool WaitForTwoFrames() {
        Shot previous = CaptureScrWindow();
        int frames = 0;
        return session.WaitUntil(
            [&] {
                Shot now = CaptureScrWindow();
                if (SameScene(previous, now)) return false;
                previous = now;
                return ++frames == 2;
            },
            5000);
    }
    // A button edge, taken by the program before anything sent after it: it takes one
    // edge a frame, and a pointer move from the X server may overtake input sent before.
    void Button(DWORD edge) {
        MouseButton(edge);
        ASSERT_TRUE(WaitForTwoFrames())
            << "no frames after a button edge " << edge << " at " << pointerX << ", " << pointerY;
    }
    // The pointer found on the screen; one gone over the right or bottom edge is
    // brought back toward the top-left corner.
    bool FindPointerOrBringBack() {
        const auto found = [this](const Shot& shot) {
            return FindPointer(shot, &pointerX, &pointerY);
        };
        if (WaitForShot(found, 3000)) return true;
        for (int back = 0; back < 10; ++back) {
            if (!MoveBy(-100, -100)) return false;
            if (WaitForShot(found, 1000)) return true;
        }
        return false;
    }
    void Click(int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
        MoveTo(x, y);
        Button(down);
        Button(up);
    }
    // The pointer's place once two captures in a row of different frames (the scene
    // moved between them) agree.
    bool PointerHolds() {
        int same = 0, lastX = -1, lastY = -1;
        Shot previous;
        return session.WaitUntil(
            [&] {
                last = CaptureScrWindow();
                if (SameScene(previous, last)) return false;
                previous = last;
                int x, y;
                if (!FindPointer(last, &x, &y)) return false;
                same = x == lastX && y == lastY ? same + 1 : 0;
                lastX = pointerX = x;
                lastY = pointerY = y;
                return same >= 1;
            },
            5000);
    }
    // Star places summed over three frames a tenth of a second apart: stars come and go.
    int StarPlacesNow(const Area& area) {
        int sum = 0;
        for (int frame = 0; frame < 3; ++frame) {
            session.Pump(100);
            sum += StarPlaces(CaptureScrWindow(), area, pointerX, pointerY);
        }
        return sum;
    }
    // A move away from the panel's buttons, so that what came before has been handled.
    void Settle() { MoveTo(pointerX < 200 ? 240 : 160, 120); }

    ScrSession session;
    Shot last;
    int pointerX = 0, pointerY = 0;
    // How many times over the last long move reached the program.
    double gainX = 2, gainY = 2;
};

// Two runs: the first moves the star count and saves it when leaving, the second
// starts from what was saved, gives two sliders the properties panel's timing, saves,
// and quits with a change unsaved.
TEST(ScrEditor, SlidersChangeTheSceneAndTheEditorSavesThemAsAsked) {
    const std::string backgroundPath = TestProgramDirectory() + "BGround.qvb";
    RestoredFile shipped(backgroundPath);
    // A still star count of 600 that may go from 50 to 1500: its value is the user's.
    std::string background = shipped.Bytes();
    const int32_t still = 0;
    const float stars = 600, fewest = 50, most = 1500;
    SetField(background, "BGSNUMS", 1, &still);
    SetField(background, "BGSNUMS", 2, &stars);
    SetField(background, "BGSNUMS", 3, &fewest);
    SetField(background, "BGSNUMS", 4, &most);
    // No trails, a steady speed and no turning: the stars on screen follow their number.
    const struct {
        const char* keyword;
        float value;
    } held[] = {{"BGSMBLUR", 0}, {"BGSSZ", 5}, {"BGSCRX", 0}, {"BGSCRY", 0}, {"BGSCRZ", 0}};
    for (const auto& channel : held)
        background = BackgroundWithStillChannel(background, channel.keyword, channel.value);
    std::ofstream(backgroundPath, std::ios::binary) << background;
    // Page 14's shortcut a capital letter, as the shipped B: the key gives the program
    // a lower-case 's', which must show the page all the same.
    const std::string layoutPath = TestProgramDirectory() + "gui.cfg";
    RestoredFile layout(layoutPath);
    std::string letterShortcut = layout.Bytes();
    const size_t shortcut = letterShortcut.find("BGSTARFIELD2 = 2");
    ASSERT_NE(shortcut, std::string::npos);
    letterShortcut[shortcut + 15] = 'S';
    std::ofstream(layoutPath, std::ios::binary) << letterShortcut;

    {
        EditorRun editor;
        editor.Start();
        if (HasFatalFailure()) return;
        // The panel on the right quarter with page 13, the star field left of it, the
        // info line under the star field.
        Shot first = editor.last;
        SavePng(first, TestProgramDirectory() + "editor.png");
        EXPECT_TRUE(PanelShown(first));
        EXPECT_TRUE(Page13(first));
        EXPECT_FALSE(PropertiesShown(first));
        EXPECT_GE(editor.StarPlacesNow(kSceneTop), 6);
        EXPECT_GT(ShareOf(first, {10, 470, 470, 476}, {70, 80, 90}), 0.7);

        // Space: the star field has the whole screen; again: the editor is back.
        PressKey(VK_SPACE);
        const auto cloudOnTheRight = [](const Shot& shot) {
            return Share(shot, kRightQuarter,
                         [](const Pixel& p) { return p.b >= 30 && p.b > p.r; });
        };
        ASSERT_TRUE(editor.WaitForShot([&](const Shot& shot) {
            return !PanelShown(shot) && cloudOnTheRight(shot) > 0.15;
        })) << "the scene does not take the panel's place: "
            << cloudOnTheRight(editor.last);
        EXPECT_LT(ShareOf(editor.last, kRightQuarter, kPanelColour), 0.05);
        EXPECT_LT(ShareOf(editor.last, {10, 470, 470, 476}, {70, 80, 90}), 0.2);
        PressKey(VK_SPACE);
        ASSERT_TRUE(editor.WaitForShot(PanelShown));

        // The page buttons walk page 12's group round; "BGROUND" keeps the page last
        // shown, 14, not the group's first; the shortcut keys 1 and S.
        editor.Click(480 + 132 + 8, 5 + 8);  // NPAGE
        editor.Settle();
        EXPECT_TRUE(Page14(editor.last));

        editor.Click(480 + 132 + 8, 5 + 8);
        editor.Settle();
        EXPECT_TRUE(Page13(editor.last));

        editor.Click(480 + 12 + 8, 5 + 8);  // PPAGE
        editor.Settle();
        EXPECT_TRUE(Page14(editor.last));

        editor.Click(480 + 48 + 32, 420 + 8);  // BGROUND
        editor.Settle();
        EXPECT_TRUE(Page14(editor.last));

        PressKey('1');
        editor.Settle();
        EXPECT_TRUE(Page13(editor.last));

        PressKey('S');
        editor.Settle();
        ASSERT_TRUE(Page14(editor.last));

        // The star count's knob dragged down from 600: fewer stars at once.
        const int starsBefore = editor.StarPlacesNow(kSceneTop);
        const double before = KnobTop(299, 97, 2000, 0, 600);
        const int knobX = 480 + 11 + 8;
        editor.MoveTo(knobX, int(before + 2.5), 4, 1);
        EXPECT_TRUE(Near(editor.last.At(knobX + 5, editor.pointerY), kKnobColour, 4));
        editor.Button(MOUSEEVENTF_LEFTDOWN);
        // Ten units of movement are 100 stars; the pointer keeps its place on the knob.
        const int grabbedX = editor.pointerX, grabbedY = editor.pointerY;
        ASSERT_TRUE(editor.MoveBy(0, 50));
        ASSERT_TRUE(editor.WaitForShot([&](const Shot& shot) {
            int x, y;
            return FindPointer(shot, &x, &y) && y > grabbedY + 10 && x == grabbedX;
        })) << "the pointer stays on the knob";
        // The whole move, which may come in parts, before the button goes up.
        ASSERT_TRUE(editor.PointerHolds());
        editor.Button(MOUSEEVENTF_LEFTUP);
        editor.Settle();
        const int knobAfter = KnobRow(editor.last, knobX, 318, 396);
        EXPECT_GT(knobAfter, int(before) + 10);
        // The scene thins out as the stars that stay come and go.
        int starsAfter = 0;
        EXPECT_TRUE(editor.session.WaitUntil(
            [&] {
                starsAfter = editor.StarPlacesNow(kSceneTop);
                return starsAfter * 3 < starsBefore;
            },
            10000))
            << starsBefore << " -> " << starsAfter;

        // Escape asks; Escape takes the question back; Escape and "y" save and leave.
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(editor.WaitForShot(PromptShown)) << "no prompt";
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(editor.WaitForShot([](const Shot& shot) { return !PromptShown(shot); }));
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(editor.WaitForShot(PromptShown));
        PressKey('Y');
        ScrRun run = editor.session.Finish(10000);
        EXPECT_FALSE(run.timedOut);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
        EXPECT_TRUE(HasLine(RunLog(), "EXIT : xExit - done"));
    }
    // The file holds the count the knob was left at.
    std::string saved = ReadFileText(backgroundPath);
    const float count = FloatField(saved, "BGSNUMS", 2);
    EXPECT_GE(count, 50);
    EXPECT_LT(count, 550);
    EXPECT_FLOAT_EQ(FloatField(saved, "BGSNUMS", 3), 50);
    const double knobAt = KnobTop(299, 97, 2000, 0, count);

    {
        // Loaded again, the star count's knob stands where it was left.
        EditorRun editor;
        editor.Start();
        if (HasFatalFailure()) return;
        PressKey('S');
        editor.Settle();
        ASSERT_TRUE(Page14(editor.last));
        EXPECT_NEAR(KnobRow(editor.last, 480 + 11 + 8, 318, 396), knobAt + 1.5, 1.5);

        // Ctrl and the right button on the star size, then on the speed toward the
        // viewer: both highlighted, the properties panel shown with the first one's
        // transition time, 8 seconds, which the second one takes.
        // The left Ctrl key, as a keyboard reports it.
        KeyDown(VK_LCONTROL);
        editor.Click(480 + 53 + 8, 299 + 30, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        editor.Click(480 + 53 + 8, 43 + 30, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        editor.Settle();
        KeyUp(VK_LCONTROL);
        EXPECT_TRUE(PropertiesShown(editor.last));
        EXPECT_TRUE(SliderAt(editor.last, 53, 299, true));
        EXPECT_TRUE(SliderAt(editor.last, 53, 43, true));

        // Fixed lengths instead of random ones for both (the transition time's mode
        // button), then its knob moved (0.1 seconds a unit) from where the star size's
        // time, random within 5 to 12 seconds, put it: toward the farther end.
        editor.Click(480 - 74 + 8, 299 + 8);
        editor.Settle();
        const int timeX = 480 - 74 + 8;
        const int knobBefore = KnobRow(editor.last, timeX, 318, 396);
        ASSERT_GT(knobBefore, 318);
        const double timeBefore = KnobValue(299, 97, 30, 0, knobBefore - 1);
        const int up = timeBefore < 8.5 ? 1 : -1;
        editor.MoveTo(timeX, knobBefore + 1, 4, 1);
        editor.Button(MOUSEEVENTF_LEFTDOWN);
        const int grabbedY = editor.pointerY;
        ASSERT_TRUE(editor.MoveBy(0, -30 * up));
        ASSERT_TRUE(editor.WaitForShot([&](const Shot& shot) {
            int x, y;
            return FindPointer(shot, &x, &y) && (grabbedY - y) * up > 3;
        }));
        ASSERT_TRUE(editor.PointerHolds());
        editor.Button(MOUSEEVENTF_LEFTUP);
        editor.Settle();
        EXPECT_GT((knobBefore - KnobRow(editor.last, timeX, 318, 396)) * up, 3);

        // "SAVE" writes both channels' new time; a press away from the panel hides it.
        const std::string beforeSave = ReadFileText(backgroundPath);
        editor.Click(480 + 12 + 32, 460 + 8);
        editor.Settle();
        ASSERT_TRUE(editor.session.WaitUntil(
            [&] { return ReadFileText(backgroundPath) != beforeSave; }, 5000));
        editor.Click(200, 200);
        editor.Settle();
        EXPECT_FALSE(PropertiesShown(editor.last));
        EXPECT_TRUE(SliderAt(editor.last, 53, 299));

        // A change left unsaved (the speed's animation mode), then "QUIT": the run ends
        // at once and the file stays as saved.
        const std::string afterSave = ReadFileText(backgroundPath);
        editor.Click(480 + 53 + 8, 43 + 8);
        editor.Settle();
        // The release ends the run: no frames are waited for after it.
        editor.MoveTo(480 + 84 + 32, 460 + 8);
        editor.Button(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
        const DWORD quitAt = GetTickCount();
        ScrRun run = editor.session.Finish(10000);
        EXPECT_FALSE(run.timedOut);
        EXPECT_LT(GetTickCount() - quitAt, 5000u);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
        EXPECT_EQ(ReadFileText(backgroundPath), afterSave);
        // Both took the fixed new time, within the first one's range of 5 to 12
        // seconds; the speed had random times of 10 to 20 before.
        EXPECT_FLOAT_EQ(FloatField(saved, "BGSSZ", 7), 10);
        const float time = FloatField(afterSave, "BGSSIZE", 6);
        EXPECT_GT((time - timeBefore) * up, 1);
        EXPECT_GE(time, 5);
        EXPECT_LE(time, 12);
        for (const char* keyword : {"BGSSIZE", "BGSSZ"}) {
            int32_t random = -1;
            std::memcpy(&random, &afterSave[FieldOffset(afterSave, keyword, 5)], 4);
            EXPECT_EQ(random, 0) << keyword;
            EXPECT_FLOAT_EQ(FloatField(afterSave, keyword, 6), time) << keyword;
            EXPECT_FLOAT_EQ(FloatField(afterSave, keyword, 7), 5) << keyword;
            EXPECT_FLOAT_EQ(FloatField(afterSave, keyword, 8), 12) << keyword;
        }
    }
}

// Settings that cannot be written when the editor's run ends (the place of the file
// written first is taken): the "Error" box says so, and the old file stays.
TEST(ScrEditor, SettingsThatCannotBeSavedAtTheEndAreReported) {
    const std::string settings = TestProgramDirectory() + "novadrift.cfg";
    const std::string blocked = settings + ".tmp";
    WriteSettingsFile(settings, SettingsValues());
    const std::string before = ReadFileText(settings);
    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    ExpectedBox error("Error", "Unable to save the settings : Unable to open file \"" + blocked +
                                   "\" with write access");
    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    RemoveDirectoryA(blocked.c_str());
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(ReadFileText(settings), before);
    DeleteFileA(settings.c_str());
}

}  // namespace
