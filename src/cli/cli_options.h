#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asked for.
struct CliOptions {
    QString destination;  // -o DIR; empty means the current folder
    bool extractMedia = true;
    bool keepWork = false;
    bool completePackages = true;
    bool quiet = false;  // -q: only errors and the summary
    int jobs = 0;        // -j N: files repaired and saved at once; 0 means one per core
    bool showHelp = false;
    bool showVersion = false;
    QStringList files;
};

// Parses the arguments after the program name. On a usage error returns
// nothing and puts the reason into `error`.
std::optional<CliOptions> ParseCliOptions(const QStringList& args, QString* error);

QString CliUsage();

// Whether the log may be coloured: stdout is a terminal and neither NO_COLOR
// (set to anything) nor TERM=dumb says otherwise.
bool ColourWanted(bool stdoutIsTerminal, const QByteArray& noColor, const QByteArray& term);
