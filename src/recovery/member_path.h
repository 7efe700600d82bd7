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
