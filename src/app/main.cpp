#include <cstdio>

#include "app/ravel_app.h"
#include "app/window_arguments.h"

int main(int argc, char** argv) {
    // --help and --version need no window system and start nothing.
    if (const int code = HandleInformationOptions(argc, argv, stdout); code >= 0) return code;
    CRavelApp app(argc, argv);
    // What the toolkit did not take (-platform, -style, ...) is ours.
    const WindowArguments args = ParseWindowArguments(app.arguments().mid(1));
    if (!args.error.isEmpty()) {
        std::fprintf(stderr, "pelmark: %s\nTry 'pelmark --help' for more information.\n",
                     args.error.toLocal8Bit().constData());
        return 2;
    }
    for (const QString& missing : args.missing)
        std::fprintf(stderr, "pelmark: %s: no such file\n", missing.toLocal8Bit().constData());
    if (!app.InitInstance(args.files)) return app.ExitCode();
    return app.exec();
}
