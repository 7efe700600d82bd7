#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

// The command line of the window program:
//   pelmark [FILE...]      start with these packages in the list
//   pelmark --help | -h    print the usage and exit
//   pelmark --version | -v print the version and exit
// "--" ends the options; everything after it is a file.
struct WindowArguments {
    QStringList files;    // absolute paths, in the order given
    QStringList missing;  // arguments naming no file, left out
    QString error;        // an unknown option; the program does not start
};

// `args` are the arguments after the program name, once the toolkit has taken
// its own (-platform, -style, ...). Relative paths are made absolute against
// the current folder.
WindowArguments ParseWindowArguments(const QStringList& args);

// Prints the usage or the version when asked for (before any window system is
// needed) and returns the exit code then; -1 when the program is to start.
int HandleInformationOptions(int argc, char** argv, std::FILE* out);

QString WindowUsageText();
QString WindowVersionText();
