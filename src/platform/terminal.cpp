#include "terminal.h"

#include <csignal>
#include <unistd.h>

namespace platform {

namespace {
std::atomic<int>* g_runningFlag = nullptr;

extern "C" void OnInterrupt(int) {
    if (g_runningFlag) g_runningFlag->store(0);
    std::signal(SIGINT, SIG_DFL);
}
}  // namespace

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

void StopOnInterrupt(std::atomic<int>* runningFlag) {
    static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");
    g_runningFlag = runningFlag;
    std::signal(SIGINT, OnInterrupt);
}

}  // namespace platform
