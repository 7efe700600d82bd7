#pragma once

#include <QString>
#include <QStringList>

// Where a member lands below its working folder. A stored name is only a
// claim: "/" and "\" both separate folder levels, every ":" is removed, and
// empty, "." and ".." levels are dropped, so that a name such as
// "../../x" or "/etc/x" can never lead outside the working folder.
struct MemberPath {
    QStringList levels;              // the folder levels and, last, the file name
    bool endsWithSeparator = false;  // the name ended in a separator: it names a folder
    bool hadSeparator = false;       // the stored name held at least one separator
};

MemberPath SplitMemberName(const QString& name);

// The longest name of one folder level the file system takes, in bytes of
// its file name encoding.
constexpr int kMaxLevelBytes = 255;

// Shortens every level of `path` that the file system would refuse as too
// long: the end of its name goes, the extension stays, and a short mark made
// from the whole name keeps two long names that start alike apart. Returns
// true when any level was shortened.
bool FitLevelsToFileSystem(MemberPath* path);
