#include "posix/signals_posix.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace {

volatile sig_atomic_t quitSignalled;
int quitPipe[2] = {-1, -1};

void NoteQuit(int) {
    const int savedErrno = errno;
    quitSignalled = 1;
    const char byte = 1;
    // A full pipe already wakes the pump; the byte then adds nothing.
    ssize_t written = write(quitPipe[1], &byte, 1);
    (void)written;
    errno = savedErrno;
}

bool MakePipe() {
    if (pipe(quitPipe) != 0) return false;
    for (int end : quitPipe) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

}  // namespace

int CatchQuitSignals() {
    if (quitPipe[0] < 0 && !MakePipe()) return 0;
    struct sigaction action = {};
    action.sa_handler = NoteQuit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        if (sigaction(signal, &action, nullptr) != 0) return 0;
    return 1;
}

int QuitSignalled() {
    return quitSignalled != 0;
}

int QuitSignalDescriptor() {
    return quitPipe[0];
}
