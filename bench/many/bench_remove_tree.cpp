// Removes each folder given with RemoveFolderTree, the way a working folder
// goes after a run, and prints the seconds it took. run.sh times `rm -rf` on
// an identical copy of the same tree in the same round.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

#include "recovery/job_control.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList folders = app.arguments().mid(1);
    if (folders.isEmpty()) {
        std::fprintf(stderr, "usage: pelmark_bench_remove_tree FOLDER...\n");
        return 2;
    }
    for (const QString& folder : folders) {
        QElapsedTimer timer;
        timer.start();
        RemoveFolderTree(folder);
        std::printf("%.4f\n", timer.nsecsElapsed() / 1e9);
    }
    return 0;
}
