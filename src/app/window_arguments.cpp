#include "app/window_arguments.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <cstring>

#include "platform/files.h"

QString WindowUsageText() {
    return QStringLiteral(
        "Usage: pelmark [FILE...]\n"
        "Repair damaged OpenDocument presentations (.odp) in a window.\n"
        "\n"
        "With FILEs the window starts with them in its list instead of opening the\n"
        "file dialog. When Pelmark is already running, the FILEs are handed to the\n"
        "running window.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "pelmark-cli repairs packages from a terminal without a window.\n");
}

QString WindowVersionText() {
    return QStringLiteral("pelmark 1.0\n");
}

int HandleInformationOptions(int argc, char** argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(WindowUsageText().toLocal8Bit().constData(), out);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
            std::fputs(WindowVersionText().toLocal8Bit().constData(), out);
            return 0;
        }
    }
    return -1;
}

WindowArguments ParseWindowArguments(const QStringList& args) {
    WindowArguments parsed;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            parsed.error = QStringLiteral("unknown option %1").arg(arg);
            return parsed;
        }
        // A file manager may pass a file:// address for %F on some desktops.
        QString path = arg;
        if (path.startsWith(QLatin1String("file://"))) path = QUrl(path).toLocalFile();
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (!platform::FileExists(absolute)) {
            parsed.missing << arg;
            continue;
        }
        parsed.files << absolute;
    }
    return parsed;
}
