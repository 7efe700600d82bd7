#pragma once

#include <QByteArray>
#include <QString>

// The built-in content.xml (resource 363): one empty slide with its notes
// page, 3459 bytes. Empty when the resource is missing.
QByteArray DefaultContentDocument();

// Puts the built-in content.xml into `workingFolder` unless the folder holds
// one at least as long already (more than 3458 bytes), or holds a package of
// another kind than a presentation, which is never given one. Returns 1 when a
// suitable content.xml is there afterwards, 0 otherwise; nothing is reported.
int EnsureContentDocument(const QString& workingFolder);
