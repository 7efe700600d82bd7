#include "app/view/dropped_files.h"

#include "platform/folders.h"
#include "recovery/job_control.h"

DropSorting SortDroppedUrls(const QList<QUrl>& urls) {
    DropSorting sorted;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            sorted.leftOut.append({url.toDisplayString(), QStringLiteral("not a local file")});
            continue;
        }
        const QString path = url.toLocalFile().trimmed();
        if (platform::FolderExists(path)) {
            sorted.leftOut.append({FileNameOf(path), QStringLiteral("a folder, not an .odp file")});
            continue;
        }
        // File managers keep the name as it is on disk, REPORT.ODP included.
        if (!path.contains(QStringLiteral(".odp"), Qt::CaseInsensitive)) {
            sorted.leftOut.append({FileNameOf(path), QStringLiteral("not an .odp file")});
            continue;
        }
        sorted.taken.append(path);
    }
    return sorted;
}

QString DropSorting::Report() const {
    QStringList parts;
    if (!taken.isEmpty())
        parts << QStringLiteral("%1 file(s) added to the list.").arg(taken.size());
    if (!leftOut.isEmpty()) {
        QStringList items;
        for (const auto& [name, why] : leftOut) items << QStringLiteral("%1 (%2)").arg(name, why);
        parts << QStringLiteral("Not added: %1.").arg(items.join(QStringLiteral("; ")));
    }
    return parts.join(QLatin1Char(' '));
}
