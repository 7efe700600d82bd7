#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What completing one repaired working folder changed.
struct CompletionResult {
    bool manifestRebuilt = false;
    QStringList lostPictures;  // member names that got a stand-in picture
    bool Changed() const { return manifestRebuilt || !lostPictures.isEmpty(); }
};

// Where the stand-ins for a working folder's lost pictures live: beside the
// folder, never inside it, so the preview and the media copy (which walk only
// the working folder) can never mistake one for a recovered picture. The
// package writer adds its files after the working folder's own.
QString PlaceholderFolderOf(const QString& workingFolder);

// The stand-in picture: a small grey card that says the picture was lost.
QByteArray PlaceholderPicture();

// Makes a repaired working folder open in office programs: writes a manifest
// when the recovered one is missing or not well-formed, and gives every picture
// that content.xml or styles.xml refers to but that is missing or empty a
// stand-in. A well-formed recovered manifest is left as it is.
CompletionResult CompletePackage(const QString& workingFolder);

// What completion changed, in the log line's words ("manifest rebuilt", ...).
QStringList CompletionDone(const CompletionResult& result);

// The log line for the file, or an empty text when nothing was changed.
QString CompletionLogLine(const QString& packagePath, const CompletionResult& result);
