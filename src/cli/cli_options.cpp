#include "cli/cli_options.h"

std::optional<CliOptions> ParseCliOptions(const QStringList& args, QString* error) {
    CliOptions options;
    bool onlyFiles = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (onlyFiles || !arg.startsWith('-') || arg == "-") {
            options.files << arg;
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a folder";
                return std::nullopt;
            }
            options.destination = args[++i];
        } else if (arg.startsWith("--output=")) {
            options.destination = arg.mid(9);
        } else if (arg.startsWith("-o") && arg.size() > 2) {
            options.destination = arg.mid(2);
        } else if (arg == "--no-media") {
            options.extractMedia = false;
        } else if (arg == "--keep-work") {
            options.keepWork = true;
        } else if (arg == "--no-complete") {
            options.completePackages = false;
        } else if (arg == "-h" || arg == "--help") {
            options.showHelp = true;
        } else if (arg == "-V" || arg == "--version") {
            options.showVersion = true;
        } else {
            *error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.showHelp || options.showVersion) return options;
    if (options.files.isEmpty()) {
        *error = "no presentation given";
        return std::nullopt;
    }
    if (options.destination.isEmpty() && args.contains("-o")) {
        *error = "-o needs a folder";
        return std::nullopt;
    }
    return options;
}

QString CliUsage() {
    return QStringLiteral(
        "Usage: pelmark-cli [-o DIR] [--no-media] [--keep-work] [--no-complete] FILE.odp...\n"
        "\n"
        "Repairs damaged OpenDocument presentations. Every member that can be found in\n"
        "each FILE is recovered, and each repaired presentation is saved as\n"
        "DIR/TORVEX_<name>.odp. The damaged files are only read, never changed.\n"
        "\n"
        "  -o, --output DIR  save the repaired presentations in DIR (default: the\n"
        "                    current folder)\n"
        "      --no-media    do not copy the pictures into DIR/<name>_MediaContent\n"
        "      --keep-work   keep the working folder with the recovered members and\n"
        "                    print where it is\n"
        "      --no-complete do not salvage damaged members, rebuild a lost manifest or\n"
        "                    stand in for lost pictures\n"
        "  -h, --help        show this help\n"
        "  -V, --version     show the version\n"
        "\n"
        "After the log, one line per file tells what came back of its slides\n"
        "(\"slides kept: 41\", or \"slides lost\" when a one-slide document stands in).\n"
        "\n"
        "Exit status: 0 when every file was repaired and saved with its slides whole,\n"
        "1 when any file was not repaired or not saved, 2 for a usage error or an\n"
        "unusable destination, 3 when every file was saved but slides of some were\n"
        "lost (content.xml damaged or replaced).\n"
        "Ctrl+C stops after the current file, as the Stop button does.\n");
}
