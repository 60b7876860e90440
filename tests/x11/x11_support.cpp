#include "x11_support.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

bool WaitFor(const std::function<bool()>& test, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (test()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TempDirectory::TempDirectory() {
    char pattern[] = "/tmp/novadrift-x11-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path = pattern;
    chmod(path.c_str(), 0755);
}

TempDirectory::~TempDirectory() {
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

// ---------------------------------------------------------------------------------------
// Child processes

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& output, const std::string& errors)
    : pid(-1), reaped(false), status(0) {
    std::vector<char*> args, env;
    for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out =
            open(output.empty() ? "/dev/null" : output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err =
            open(errors.empty() ? "/dev/null" : errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
}

Child::~Child() {
    if (pid > 0 && !reaped) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

bool Child::Running() {
    if (reaped) return false;
    if (waitpid(pid, &status, WNOHANG) == pid) reaped = true;
    return !reaped;
}

bool Child::WaitExit(double seconds) {
    return WaitFor([this] { return !Running(); }, seconds);
}

// ---------------------------------------------------------------------------------------
// The display

PrivateDisplay::PrivateDisplay(int width, int height)
    : PrivateDisplay(
          {"Xvfb", "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24"}) {}

PrivateDisplay::PrivateDisplay(std::vector<std::string> command, const std::string& host)
    : server(-1), display(nullptr) {
    for (const char* word : {"-displayfd", "3", "-nolisten", "tcp"}) command.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    int numberPipe[2];
    if (pipe(numberPipe) != 0) throw std::runtime_error("pipe failed");
    // The number comes back on descriptor 3 of the server (-displayfd 3).
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(numberPipe[1], 3);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (!host.empty()) setenv("DISPLAY", host.c_str(), 1);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(numberPipe[1]);
    char number[16] = {};
    ssize_t got = 0;
    for (ssize_t part; got < ssize_t(sizeof number - 1) &&
                       (part = read(numberPipe[0], number + got, sizeof number - 1 - got)) > 0;) {
        got += part;
        if (std::strchr(number, '\n')) break;
    }
    close(numberPipe[0]);
    server = pid;
    if (got <= 0) throw std::runtime_error(command[0] + " gave no display number");
    name = ":" + std::to_string(std::atoi(number));
    display = XOpenDisplay(name.c_str());
    if (!display) throw std::runtime_error("cannot open " + name);
}

PrivateDisplay::~PrivateDisplay() {
    if (display) XCloseDisplay(display);
    if (server > 0) {
        kill(server, SIGTERM);
        int status;
        waitpid(server, &status, 0);
    }
}

// ---------------------------------------------------------------------------------------
// Pixels

Picture Grab(Display* display, unsigned long window) {
    Picture picture;
    XWindowAttributes attributes;
    // A window not shown yet has no pixels to read (the server refuses).
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return picture;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = attributes.width;
    picture.height = attributes.height;
    picture.rgb.resize(size_t(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint8_t* out = &picture.rgb[(size_t(y) * picture.width + x) * 3];
            out[0] = uint8_t((pixel >> 16) & 0xFF);
            out[1] = uint8_t((pixel >> 8) & 0xFF);
            out[2] = uint8_t(pixel & 0xFF);
        }
    XDestroyImage(image);
    return picture;
}

bool SavePng(const Picture& picture, const std::string& path) {
    const std::string command = "convert -size " + std::to_string(picture.width) + "x" +
                                std::to_string(picture.height) + " -depth 8 rgb:- '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return false;
    std::fwrite(picture.rgb.data(), 1, picture.rgb.size(), pipe);
    return pclose(pipe) == 0;
}

SceneCount CountScene(const Picture& picture, int x0, int y0, int width, int height,
                      const int skip[4]) {
    SceneCount count;
    long cloud = 0, counted = 0;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            if (skip && x >= skip[0] && x < skip[0] + skip[2] && y >= skip[1] &&
                y < skip[1] + skip[3])
                continue;
            const uint8_t* p = picture.At(x, y);
            ++counted;
            if (p[0] >= 200 && p[1] >= 200 && p[2] >= 200)
                ++count.starPixels;
            else if (p[2] >= 40 && p[2] > p[0] + 15)
                ++cloud;
        }
    count.cloudShare = counted ? double(cloud) / double(counted) : 0.0;
    return count;
}

// ---------------------------------------------------------------------------------------
// Processes

double ProcessCpuSeconds(pid_t pid) {
    const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    // The fields after the command's closing parenthesis: state is the 3rd field, utime
    // the 14th and stime the 15th.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) user = std::stoull(field);
        if (index == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

long MainThreadWakes(pid_t pid) {
    const std::string status =
        ReadFileText("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
    const size_t at = status.find("voluntary_ctxt_switches:");
    if (at == std::string::npos) return -1;
    return std::atol(status.c_str() + at + std::strlen("voluntary_ctxt_switches:"));
}
