#pragma once

#include <atomic>

namespace platform {

// True when the standard stream `fd` (1 or 2) is a terminal.
bool IsTerminal(int fd);

// On the first Ctrl+C (or SIGTERM, SIGHUP), stores 0 into `runningFlag` (a
// stop request, as the Stop button makes it) instead of ending the process; a
// second one of the same kind ends the process as usual.
void StopOnInterrupt(std::atomic<int>* runningFlag);

}  // namespace platform
