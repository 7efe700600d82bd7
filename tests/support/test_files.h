#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The whole file, or "<missing>" when it cannot be opened, so a missing file
// never compares equal to the bytes a test expects (not even to none).
QByteArray ReadAll(const QString& path);

// Writes `bytes` to `path`, replacing what was there; fails the test when
// the file cannot be opened.
void WriteBytes(const QString& path, const QByteArray& bytes = "x");

// Every file and folder below `folder`, relative, folders with a trailing "/",
// in the order the platform lists them.
QStringList Tree(const QString& folder);
