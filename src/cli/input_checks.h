#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

class TerminalJobView;

// The files given, as absolute paths, each file once: two arguments name the
// same file when device and inode agree (X.odp and x.odp are two files here;
// a link and its target are one). A repeat is left out with the window's
// words on `err`. Paths that name nothing are compared as written.
QStringList DistinctInputs(const QStringList& files, QTextStream& err);

// Whether `start` (the first bytes of a file) is a Git LFS pointer: the small
// text a repository keeps in place of a large file until it is fetched.
bool IsGitLfsPointer(const QByteArray& start);

// For every row the Repair run left unrepaired, says on stderr why, with the
// path, unless the scanner has said so already (a file that cannot be opened).
void ExplainUnrepairedFiles(TerminalJobView* view);
