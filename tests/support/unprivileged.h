#pragma once

#include <QString>
#include <functional>

// Runs `body` where file permissions bind. For an ordinary user that is this
// process. The superuser (as in CI) reads and writes everything, so there the
// body runs in a child process that first hands `folder`, and all below it,
// to the unprivileged user "nobody" and then becomes that user; what the body
// checks fails the calling test, with the child's own messages in the output.
// `folder` must hold everything the body touches.
void RunWherePermissionsBind(const QString& folder, const std::function<void()>& body);
