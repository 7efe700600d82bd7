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
    bool showHelp = false;
    bool showVersion = false;
    QStringList files;
};

// Parses the arguments after the program name. On a usage error returns
// nothing and puts the reason into `error`.
std::optional<CliOptions> ParseCliOptions(const QStringList& args, QString* error);

QString CliUsage();
