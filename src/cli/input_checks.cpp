#include "cli/input_checks.h"

#include <QFile>
#include <QFileInfo>
#include <optional>
#include <vector>

#include "cli/terminal_job_view.h"
#include "platform/files.h"

QStringList DistinctInputs(const QStringList& files, QTextStream& err) {
    QStringList paths;
    std::vector<std::optional<platform::FileIdentity>> identities;
    for (const QString& file : files) {
        const QString path = QFileInfo(file).absoluteFilePath();
        const std::optional<platform::FileIdentity> id = platform::IdentityOf(path);
        bool known = false;
        for (int i = 0; i < paths.size() && !known; ++i)
            known = id ? identities[size_t(i)] == id : paths[i] == path;
        if (known) {
            err << "Pelmark: " << path << "already exist in the list.\n";
            continue;
        }
        paths << path;
        identities.push_back(id);
    }
    return paths;
}

bool IsGitLfsPointer(const QByteArray& start) {
    return start.startsWith("version https://git-lfs.github.com/spec/");
}

void ExplainUnrepairedFiles(TerminalJobView* view) {
    for (int row = 0; row < view->FileRowCount(); ++row) {
        if (view->FileRowData(row) == 1) continue;
        const QString path = view->FileRowText(row);
        int error = 0;
        const platform::PathKind kind = platform::KindOf(path, &error);
        // Missing files and folders could not be opened: the scanner said so.
        if (kind == platform::PathKind::Missing || kind == platform::PathKind::Folder) continue;
        if (kind == platform::PathKind::Other) {
            view->ShowDiagnostic(path, "not a regular file");
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;  // the scanner said why
        if (IsGitLfsPointer(file.read(200)))
            view->ShowDiagnostic(path,
                                 "a Git LFS pointer file, not the presentation itself; fetch the "
                                 "real file first (git lfs pull) and repair that");
        else
            view->ShowDiagnostic(path, "no zip member found");
    }
}
