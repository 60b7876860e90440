// What the native module's tests share: a private Xvfb display, child processes with
// their own environment, waiting on events with a ceiling, and reading pixels back.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

// Waits until test() holds, checking every 50 ms; false after `seconds`.
bool WaitFor(const std::function<bool()>& test, double seconds);

std::string ReadFileText(const std::string& path);
// A fresh directory under /tmp that every user may enter (the daemon's test runs the
// module as another user); removed with its contents when the object goes.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    const std::string& Path() const { return path; }

private:
    std::string path;
};

// A child process; killed (SIGKILL) if it still runs when the object goes.
class Child {
public:
    // argv[0] is the program's path. `environment` replaces the whole environment
    // ("NAME=value"). Standard output and error go to the files named (empty: /dev/null).
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
          const std::string& output = "", const std::string& errors = "");
    ~Child();
    pid_t Pid() const { return pid; }
    bool Running();
    // Waits for the end; false after `seconds`. WaitStatus() then holds the wait status.
    bool WaitExit(double seconds);
    int WaitStatus() const { return status; }

private:
    pid_t pid;
    bool reaped;
    int status;
};

// Xvfb on a display number it finds free itself, with Mesa's software OpenGL (GLX).
class PrivateDisplay {
public:
    PrivateDisplay(int width, int height);
    // Another server (argv, from the program's name), drawn into the display `host`
    // when it is a nested one.
    PrivateDisplay(std::vector<std::string> command, const std::string& host = "");
    ~PrivateDisplay();
    const std::string& Name() const { return name; }  // ":N"
    Display* Connection() const { return display; }

private:
    pid_t server;
    std::string name;
    Display* display;
};

// RGB pixels of a window's area (root: the screen as shown).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top-down, three bytes a pixel
    const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};
Picture Grab(Display* display, unsigned long window);
// As a PNG through ImageMagick's convert; false when it could not be written.
bool SavePng(const Picture& picture, const std::string& path);

// What the star field puts in an area: how much of it is cloud (blue over the red by a
// margin, not white) and how many star pixels (every channel 200 or more).
struct SceneCount {
    double cloudShare = 0;
    int starPixels = 0;
};
// Over the rectangle, leaving out the pixels inside `skip` (x, y, width, height; an
// empty skip leaves none out).
SceneCount CountScene(const Picture& picture, int x, int y, int width, int height,
                      const int skip[4] = nullptr);

// CPU seconds (user and system) the process has used, all its threads.
double ProcessCpuSeconds(pid_t pid);
// Voluntary context switches of the process's main thread: each wake from a sleep.
long MainThreadWakes(pid_t pid);
