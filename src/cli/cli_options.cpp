#include "cli/cli_options.h"

namespace {

// The most files a run works on at once.
constexpr int kMostJobs = 256;

// The N of -j N: a whole number from 1 up.
bool ParseJobs(const QString& flag, const QString& text, int* jobs, QString* error) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > kMostJobs) {
        *error = flag + " needs a number of files from 1 to " + QString::number(kMostJobs) +
                 ", not '" + text + "'";
        return false;
    }
    *jobs = n;
    return true;
}

}  // namespace

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
        } else if (arg == "-j" || arg == "--jobs") {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a number of files";
                return std::nullopt;
            }
            if (!ParseJobs(arg, args[++i], &options.jobs, error)) return std::nullopt;
        } else if (arg.startsWith("--jobs=")) {
            if (!ParseJobs("--jobs", arg.mid(7), &options.jobs, error)) return std::nullopt;
        } else if (arg.startsWith("-j") && arg.size() > 2) {
            if (!ParseJobs("-j", arg.mid(2), &options.jobs, error)) return std::nullopt;
        } else if (arg == "--no-media") {
            options.extractMedia = false;
        } else if (arg == "--keep-work") {
            options.keepWork = true;
        } else if (arg == "--no-complete") {
            options.completePackages = false;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
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

bool ColourWanted(bool stdoutIsTerminal, const QByteArray& noColor, const QByteArray& term) {
    return stdoutIsTerminal && noColor.isEmpty() && term != "dumb";
}

QString CliUsage() {
    return QStringLiteral(
        "Usage: pelmark-cli [-o DIR] [-j N] [--no-media] [--keep-work] [--no-complete] [-q]\n"
        "                   FILE.odp...\n"
        "\n"
        "Repairs damaged OpenDocument presentations. Every member that can be found in\n"
        "each FILE is recovered, and each repaired presentation is saved as\n"
        "DIR/TORVEX_<name>.odp. The damaged files are only read, never changed, and\n"
        "never written over. A package of another kind (an OpenDocument text or\n"
        "spreadsheet, a PowerPoint, Word or Excel file) is repaired as what it is and\n"
        "saved under its own extension, TORVEX_<name>.pptx for example.\n"
        "\n"
        "A package of the same name from an earlier run in DIR is replaced. Files of\n"
        "the same name from different folders in one run are saved side by side:\n"
        "TORVEX_<name>.odp, TORVEX_<name> (2).odp, ... (media: <name>.odp (2)_MediaContent).\n"
        "\n"
        "  -o, --output DIR  save the repaired presentations in DIR (default: the\n"
        "                    current folder)\n"
        "      --no-media    do not copy the pictures into DIR/<name>_MediaContent\n"
        "      --keep-work   keep the working folder with the recovered members and\n"
        "                    print where it is\n"
        "      --no-complete do not salvage damaged members, rebuild a lost manifest or\n"
        "                    stand in for lost pictures, and write the package's members\n"
        "                    in folder order\n"
        "  -j, --jobs N      repair and save N files at once (default: one per core);\n"
        "                    the log is the same as with -j 1, file by file in the\n"
        "                    order given\n"
        "  -q, --quiet       print only errors and the summary\n"
        "  -h, --help        show this help\n"
        "  -V, --version     show the version\n"
        "\n"
        "The log goes to stdout, coloured on a terminal unless NO_COLOR is set or\n"
        "TERM is dumb; errors and the closing message go to stderr. After the log,\n"
        "one line per file tells what came back of its slides (\"slides kept: 41\",\n"
        "or \"slides lost\" when a one-slide document stands in).\n"
        "\n"
        "Exit status: 0 when every file was repaired and saved with its slides whole,\n"
        "1 when any file was not repaired or not saved, 2 for a usage error or an\n"
        "unusable destination, 3 when every file was saved but slides of some were\n"
        "lost (content.xml damaged or replaced), 130 after Ctrl+C and 143 after\n"
        "SIGTERM (129 after SIGHUP).\n"
        "Ctrl+C stops after the current file (with -j, the current files), as the Stop\n"
        "button does: no new file is started, the files repaired before it are saved,\n"
        "a file whose scan was cut short is not. A second Ctrl+C abandons the run at\n"
        "once, leaving no temporary file behind.\n");
}
