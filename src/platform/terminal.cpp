#include "terminal.h"

#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace platform {

namespace {
std::atomic<int>* g_runningFlag = nullptr;

extern "C" void OnInterrupt(int signal) {
    if (g_runningFlag) g_runningFlag->store(0);
    std::signal(signal, SIG_DFL);
}
}  // namespace

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

void StopOnInterrupt(std::atomic<int>* runningFlag) {
    static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");
    g_runningFlag = runningFlag;
    // A terminal closed or a polite kill stops the same way, so the working
    // folder is still cleaned up and no half-written package is left.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, OnInterrupt);
}

}  // namespace platform
