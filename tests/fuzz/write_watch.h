#pragma once

// Watches every call of this process that makes, changes or removes a name in
// the file system: the engine's own calls and those Qt makes for it (QFile,
// QTemporaryFile, QDir). The calls are interposed by name, so they are seen
// whichever library makes them. While watching, each path must lie inside
// one of the allowed folders; any other path ends the process with a message.

#include <string>
#include <vector>

namespace write_watch {

// The folders writes may go into (absolute, without a trailing "/"), and
// watching on. Creating symbolic links is refused whatever the folder.
void Watch(const std::vector<std::string>& allowed);
void Stop();

// While probing, a refused call fails with EACCES and is counted instead of
// ending the process: the target proves at start-up that the watch sees
// every kind of write.
void SetProbing(bool probing);
int Refused();

}  // namespace write_watch
