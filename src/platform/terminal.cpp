#include "terminal.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <thread>

namespace platform {

namespace {
std::atomic<int> g_stopSignal{0};

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}
}  // namespace

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

void WatchInterrupts(std::atomic<int>* runningFlag, const char* firstNotice,
                     std::function<void()> abandon) {
    const sigset_t set = WatchedSignals();
    // Threads started later inherit the mask, so only the watcher sees them.
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set, runningFlag, firstNotice, abandon = std::move(abandon)] {
        for (int count = 0;; ++count) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) continue;
            if (count == 0) {
                g_stopSignal.store(signal);
                runningFlag->store(0);
                if (firstNotice) {
                    const ssize_t ignored = ::write(2, firstNotice, std::strlen(firstNotice));
                    (void)ignored;
                }
                continue;
            }
            // Abandoned: what must not be left behind goes, then the process.
            if (abandon) abandon();
            ::_exit(128 + g_stopSignal.load());
        }
    }).detach();
}

int StopSignal() {
    return g_stopSignal.load();
}

}  // namespace platform
