#pragma once

#include <atomic>
#include <functional>

namespace platform {

// True when the standard stream `fd` (1 or 2) is a terminal.
bool IsTerminal(int fd);

// Watches for Ctrl+C, SIGTERM and SIGHUP on a thread of its own, so that what
// a signal sets off may do ordinary work. Call it before any other thread is
// started (the signals are blocked in every thread but the watcher's).
// The first signal stores 0 into `runningFlag` (a stop request, as the Stop
// button makes it) and writes `firstNotice` to stderr at once. A second one
// calls `abandon` on the watcher's thread and then ends the process at once
// with 128 + the signal's number, whatever the other threads are doing.
void WatchInterrupts(std::atomic<int>* runningFlag, const char* firstNotice,
                     std::function<void()> abandon);

// The signal that asked for the stop (SIGINT, SIGTERM, SIGHUP), or 0.
int StopSignal();

}  // namespace platform
