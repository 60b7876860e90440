// The Debian package under a real client: installed with dpkg into a root directory of
// its own (the machine's own packages are left alone), and Debian's XScreenSaver daemon
// on a private Xvfb with Novadrift as its only module, in a home of its own. The daemon
// will not start modules as root, so a test run as root runs it as "nobody".
// gtest before Xlib, whose None and Bool macros would rename gtest's own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "x11_support.h"

namespace {

// Runs a program to its end (60 s at most); its exit status, -1 if it did not end.
int RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& output = "") {
    Child child(argv, environment, output, output);
    if (!child.WaitExit(60.0)) return -1;
    return WIFEXITED(child.WaitStatus()) ? WEXITSTATUS(child.WaitStatus()) : -1;
}

bool Exists(const std::string& path) {
    struct stat found;
    return stat(path.c_str(), &found) == 0;
}

// Installs the package with dpkg into `root`; every file the package holds is there.
void InstallInto(const std::string& root) {
    for (const char* folder : {"/var/lib/dpkg/info", "/var/lib/dpkg/updates"})
        ASSERT_EQ(RunToEnd({"/bin/mkdir", "-p", root + folder}, {}), 0);
    std::ofstream(root + "/var/lib/dpkg/status").close();
    const std::string log = root + "/dpkg.txt";
    // Its dependencies are this machine's, not the empty root's.
    ASSERT_EQ(RunToEnd({"/usr/bin/dpkg", "--root=" + root, "--force-depends", "--log=/dev/null",
                        "-i", NOVADRIFT_DEB},
                       {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"}, log),
              0)
        << ReadFileText(log);
    for (const char* file :
         {"/usr/libexec/xscreensaver/novadrift", "/usr/share/xscreensaver/config/novadrift.xml",
          "/usr/share/novadrift/gui.cfg", "/usr/share/novadrift/BGround.qvb",
          "/usr/share/novadrift/textures/nd.fxt", "/usr/share/man/man6/novadrift.6.gz"})
        EXPECT_TRUE(Exists(root + file)) << file;
    EXPECT_EQ(access((root + "/usr/libexec/xscreensaver/novadrift").c_str(), X_OK), 0);
    for (const char* editorOnly : {"gui_labels.bmp", "gui_save.bmp", "pointer.bmp"})
        EXPECT_FALSE(Exists(root + "/usr/share/novadrift/textures/" + editorOnly)) << editorOnly;
}

// Every package the module depends on is one this machine has installed.
void ExpectDependenciesInstalled() {
    TempDirectory scratch;
    const std::string fields = scratch.Path() + "/depends.txt";
    ASSERT_EQ(RunToEnd({"/usr/bin/dpkg-deb", "--field", NOVADRIFT_DEB, "Depends"}, {}, fields), 0);
    const std::string depends = ReadFileText(fields);
    const std::regex name("(^|, )([a-z0-9.+-]+)");
    int count = 0;
    for (std::sregex_iterator it(depends.begin(), depends.end(), name), end; it != end; ++it) {
        ++count;
        EXPECT_EQ(RunToEnd({"/usr/bin/dpkg-query", "-W", (*it)[2].str()}, {}), 0) << (*it)[2].str();
    }
    EXPECT_GE(count, 3) << depends;
}

TEST(XScreenSaver, TheDaemonBringsUpTheInstalledModuleAndEndsIt) {
    ExpectDependenciesInstalled();
    TempDirectory root, home;
    InstallInto(root.Path());
    if (HasFailure()) return;
    const std::string module = root.Path() + "/usr/libexec/xscreensaver/novadrift";
    {
        std::ofstream settings(home.Path() + "/.xscreensaver");
        settings << "mode:\t\tone\nselected:\t0\ntimeout:\t1:00:00\nlock:\t\tFalse\n"
                    "fade:\t\tFalse\nunfade:\t\tFalse\nsplash:\t\tFalse\n"
                    "programs:\tGL: \"Novadrift\" "
                 << module << " --root \\n\n";
    }
    std::vector<std::string> asUser;
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(RunToEnd({"/bin/chown", "-R", "nobody:", home.Path()}, {}), 0);
        asUser = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=" + std::to_string(nobody->pw_gid),
                  "--clear-groups"};
    }

    PrivateDisplay display(1024, 768);
    const std::vector<std::string> environment = {"DISPLAY=" + display.Name(),
                                                  "HOME=" + home.Path(), "PATH=/usr/bin:/bin"};
    std::vector<std::string> daemon = asUser;
    for (const char* word : {"/usr/bin/xscreensaver", "-no-splash", "-verbose"})
        daemon.push_back(word);
    const std::string daemonLog = home.Path() + "/daemon.txt";
    Child server(daemon, environment, daemonLog, daemonLog);
    auto command = [&](const char* what) {
        return RunToEnd({"/usr/bin/xscreensaver-command", what}, environment);
    };
    ASSERT_TRUE(WaitFor([&] { return command("-time") == 0; }, 30.0)) << ReadFileText(daemonLog);

    ASSERT_EQ(command("-activate"), 0);
    const std::string moduleLog = home.Path() + "/.config/novadrift/Novadrift.log";
    const int title[4] = {180, 280, 660, 280};
    Picture picture;
    const bool drawn = WaitFor(
        [&] {
            picture = Grab(display.Connection(), DefaultRootWindow(display.Connection()));
            for (int quadrant = 0; quadrant < 4; ++quadrant) {
                const SceneCount count =
                    CountScene(picture, quadrant % 2 * 512, quadrant / 2 * 384, 512, 384, title);
                if (count.cloudShare < 0.10 || count.starPixels < 3) return false;
            }
            return true;
        },
        60.0);
    mkdir(NOVADRIFT_DOCS_DIR, 0755);
    SavePng(picture, std::string(NOVADRIFT_DOCS_DIR) + "/xscreensaver.png");
    ASSERT_TRUE(drawn) << ReadFileText(daemonLog) << ReadFileText(moduleLog);
    std::smatch forked;
    const std::string daemonText = ReadFileText(daemonLog);
    ASSERT_TRUE(
        std::regex_search(daemonText, forked, std::regex("novadrift --root\" in pid ([0-9]+)")))
        << daemonText;
    const pid_t modulePid = std::stoi(forked[1].str());

    ASSERT_EQ(command("-deactivate"), 0);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ReadFileText(moduleLog).find("--- Application returned at") != std::string::npos;
        },
        15.0))
        << ReadFileText(moduleLog);
    // Gone, not left behind: its process is no more (or is some other program's now).
    EXPECT_TRUE(WaitFor(
        [&] {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/%d/exe", int(modulePid));
            char exe[4096] = {};
            return readlink(path, exe, sizeof exe - 1) < 0 || module != exe;
        },
        15.0));
    const std::string said = ReadFileText(daemonLog);
    for (const char* sign : {"novadrift:", "[Error]", "Sanitizer"})
        EXPECT_EQ(said.find(sign), std::string::npos) << said;

    command("-exit");
    EXPECT_TRUE(server.WaitExit(15.0));
    // And the package leaves as cleanly as it came.
    EXPECT_EQ(
        RunToEnd({"/usr/bin/dpkg", "--root=" + root.Path(), "--log=/dev/null", "-r", "novadrift"},
                 {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"}),
        0);
    EXPECT_FALSE(Exists(module));
}

}  // namespace
