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
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <numeric>
#include <thread>

#include "x11_support.h"

namespace {

const char* const kModule = NOVADRIFT_MODULE;

// One run of the module with a user folder of its own, its standard error in a file.
class ModuleRun {
public:
    ModuleRun(const PrivateDisplay& display, std::vector<std::string> options,
              const std::string& extraVariable = "",
              std::shared_ptr<TempDirectory> home = std::make_shared<TempDirectory>())
        : folder(std::move(home)) {
        options.insert(options.begin(), kModule);
        std::vector<std::string> environment = {"DISPLAY=" + display.Name(),
                                                "XDG_CONFIG_HOME=" + folder->Path(),
                                                "HOME=/nonexistent", "PATH=/usr/bin:/bin"};
        if (!extraVariable.empty()) environment.push_back(extraVariable);
        child = std::make_unique<Child>(options, environment, folder->Path() + "/out.txt",
                                        folder->Path() + "/errors.txt");
    }

    std::string Log() const { return ReadFileText(folder->Path() + "/novadrift/Novadrift.log"); }
    std::string Errors() const { return ReadFileText(folder->Path() + "/errors.txt"); }
    const std::shared_ptr<TempDirectory>& Home() const { return folder; }
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
    std::shared_ptr<TempDirectory> folder;
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
    // A second run with the same settings leaves their file as it was.
    const std::string settings = run.Home()->Path() + "/novadrift/novadrift.cfg";
    struct stat written = {}, after = {};
    ASSERT_EQ(stat(settings.c_str(), &written), 0);
    std::remove((run.Home()->Path() + "/novadrift/Novadrift.log").c_str());
    ModuleRun again(display, {"-root"}, "", run.Home());
    ASSERT_TRUE(
        WaitFor([&] { return again.Log().find("Entering main loop") != std::string::npos; }, 60.0));
    again.EndWithSigterm();
    ASSERT_EQ(stat(settings.c_str(), &after), 0);
    EXPECT_TRUE(after.st_mtim.tv_sec == written.st_mtim.tv_sec &&
                after.st_mtim.tv_nsec == written.st_mtim.tv_nsec);
    EXPECT_NE(again.Log().find("Settings unchanged"), std::string::npos);
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
    // Resting, SIGTERM ends it as at any other time.
    XUnmapWindow(x, window);
    XSync(x, False);
    EXPECT_TRUE(rests());
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

// As a window manager asks a window to close.
void AskToClose(Display* x, Window window) {
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &close);
    XSync(x, False);
}

// XScreenSaver's standard options through the module, each run that draws in its own window
// closed as a window manager would; what is refused or cannot be used, with its message.
TEST(Module, TheStandardOptionsOfXScreenSaversModules) {
    PrivateDisplay display(800, 600);
    Display* x = display.Connection();
    TempDirectory files;
    const std::string module = kModule, errors = files.Path() + "/errors.txt";
    const std::string shipped =
        ReadFileText(module.substr(0, module.rfind('/')) + "/../share/novadrift/BGround.qvb");
    ASSERT_GT(shipped.size(), 200u);
    const std::string cut = files.Path() + "/cut.qvb";
    std::ofstream(cut) << shipped.substr(0, shipped.size() / 2);
    char visual[32], root[32];
    std::snprintf(visual, sizeof visual, "0x%lx", XVisualIDFromVisual(DefaultVisual(x, 0)));
    std::snprintf(root, sizeof root, "XSCREENSAVER_WINDOW=0x%lx", DefaultRootWindow(x));
    enum Overlay { ANY, SHOWN, HIDDEN };
    struct Case {
        std::vector<std::string> options;
        std::string variable;  // one more environment entry
        std::string window;    // the own window drawn in, WxH+X+Y; empty: it ends by itself
        Overlay overlay;
        std::string said;  // in its log, standard output or error (once, ending by itself)
    };
    const std::string own = "640x480+0+0", none = "";
    const std::vector<Case> cases = {
        {{"-window"}, root, own, ANY, ""},
        {{"-geometry", "320x200+30+40"}, "", "320x200+30+40", ANY, ""},
        {{"--geometry", "-0-0"}, "", "640x480+160+120", ANY, ""},
        {{"-visual", visual}, "", own, ANY, std::string("Visual : ") + visual},
        {{"-visual", "best", "-sync"}, "", own, ANY, "Visual : 0x"},
        {{"-install", "-noinstall", "-mono", "-pair", "-stars", "0"}, "", own, HIDDEN, ""},
        {{"-fps", "-stars", "0"}, "", own, SHOWN, ""},
        {{"-fps", "-no-fps", "-stars", "0"}, "", own, HIDDEN, ""},
        {{"-background", cut}, "", own, ANY, "cut short): the shipped background shows instead"},
        {{"-background", "/etc/hostname"}, "", own, ANY, "isnt a XIFF file"},
        {{"--help"}, "", none, ANY, "-window-id ID"},
        {{"-visual", "purple"}, "", none, ANY, "-visual needs default, best or"},
        {{"-visual", "0x7777"}, "", none, ANY, "The X display has no visual 0x7777"},
        {{"-geometry", "0x0"}, "", none, ANY, "-geometry needs"},
        {{"-window-id", "12abc"}, "", none, ANY, "-window-id needs a window number"},
        {{"-window-id", "0x7fffff0"}, "", none, ANY, "There is no X window 0x7fffff0"},
        {{"-root"}, "DISPLAY=", none, ANY, "Unable to open the X display: DISPLAY is unset\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + (c.options.size() > 1 ? c.options[1] : ""));
        std::vector<std::string> argv = {kModule};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        std::vector<std::string> environment = {"DISPLAY=" + display.Name(),
                                                "XDG_CONFIG_HOME=" + files.Path(), c.variable};
        if (c.variable == "DISPLAY=") environment.erase(environment.begin());
        Child run(argv, environment, files.Path() + "/out.txt", errors);
        const std::string log = files.Path() + "/novadrift/Novadrift.log";
        auto said = [&] {
            return ReadFileText(log) + ReadFileText(files.Path() + "/out.txt") +
                   ReadFileText(errors);
        };
        int width = 0, height = 0, left = 0, top = 0;
        if (c.window.empty()) {
            ASSERT_TRUE(run.WaitExit(30.0));
            EXPECT_EQ(WEXITSTATUS(run.WaitStatus()), c.options[0] == "--help" ? 0 : 1);
            const std::string told = ReadFileText(files.Path() + "/out.txt") + ReadFileText(errors);
            EXPECT_EQ(told.find(c.said), told.rfind(c.said)) << "said more than once";
            EXPECT_NE(told.find(c.said), std::string::npos) << told;
            continue;
        }
        std::sscanf(c.window.c_str(), "%dx%d+%d+%d", &width, &height, &left, &top);
        Window own = 0, child;
        Picture inside;
        ASSERT_TRUE(WaitFor(
            [&] {
                own = FindTopLevel(x, "Novadrift");
                inside = own ? Grab(x, own) : Picture();
                return inside.width == width && inside.height == height &&
                       Scene(CountScene(inside, 0, 0, width, height - 40), 0);
            },
            60.0))
            << said();
        int placedX, placedY;
        XTranslateCoordinates(x, own, DefaultRootWindow(x), 0, 0, &placedX, &placedY, &child);
        EXPECT_TRUE(placedX == left && placedY == top) << placedX << "," << placedY;
        // The overlay's two lines at the bottom left, over a box that hides the cloud.
        if (c.overlay != ANY) {
            EXPECT_EQ(
                WaitFor([&] { return CountScene(Grab(x, own), 4, 456, 108, 20).starPixels >= 40; },
                        c.overlay == SHOWN ? 10.0 : 1.0),
                c.overlay == SHOWN);
        }
        EXPECT_NE(said().find(c.said), std::string::npos) << said();
        AskToClose(x, own);
        ASSERT_TRUE(run.WaitExit(10.0));
        EXPECT_EQ(WEXITSTATUS(run.WaitStatus()), 0);
        EXPECT_NE(ReadFileText(log).find("The window was closed"), std::string::npos);
        EXPECT_EQ(FindTopLevel(x, "Novadrift"), 0u);
    }
}

// The cloud's shape over the monitor at x0: its blue summed over 16 x 12 cells, less
// their mean.
std::vector<double> CloudShape(const Picture& picture, int x0, int width, int height) {
    std::vector<double> cells(16 * 12, 0.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            cells[size_t(y * 12 / height * 16 + x * 16 / width)] += picture.At(x0 + x, y)[2];
    double mean = 0;
    for (double cell : cells) mean += cell / double(cells.size());
    for (double& cell : cells) cell -= mean;
    return cells;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    auto dot = [](const std::vector<double>& u, const std::vector<double>& v) {
        return std::inner_product(u.begin(), u.end(), v.begin(), 0.0);
    };
    return dot(a, b) / std::sqrt(dot(a, a) * dot(b, b) + 1e-9);
}

// On the root window of two Xinerama monitors (a Xephyr of two screens, without RandR)
// each monitor shows the whole picture: the cloud stretched over one has the shape of
// the cloud over the other, where one view stretched over both would show each half.
TEST(Module, OnTheRootOfTwoMonitorsEachShowsAViewOfItsOwn) {
    PrivateDisplay host(2304, 768);
    PrivateDisplay nested({"Xephyr", "-screen", "1024x768+0+0", "-screen", "1280x720+1024+0",
                           "+xinerama", "-extension", "RANDR"},
                          host.Name());
    ModuleRun run(nested, {"-root", "-stars", "0"});
    Display* x = nested.Connection();
    Picture picture;
    double likeness = 0;
    const bool alike = WaitFor(
        [&] {
            picture = Grab(x, DefaultRootWindow(x));
            if (picture.width != 2304) return false;
            likeness = Correlation(CloudShape(picture, 0, 1024, 768),
                                   CloudShape(picture, 1024, 1280, 720));
            return run.Log().find("Monitor 1 : 1280x720 at 1024,0") != std::string::npos &&
                   likeness > 0.8;
        },
        60.0);
    SavePng(picture, DocsPicture("module-two-monitors.png"));
    EXPECT_TRUE(alike) << "correlation " << likeness << "\n" << run.Errors() << run.Log();
    for (int monitor = 0; monitor < 2; ++monitor)
        EXPECT_GE(CountScene(picture, monitor * 1024, 0, 1024, 720).cloudShare, 0.10);
    run.EndWithSigterm();
}

}  // namespace
