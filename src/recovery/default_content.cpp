#include "recovery/default_content.h"

#include <QFile>
#include <QXmlStreamReader>
#include <exception>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/job_control.h"
#include "recovery/package_kind.h"

namespace {
// An extracted content.xml longer than this is kept as it is.
constexpr int64_t kShortContentBytes = 3458;

// A short content.xml that is nevertheless a whole document: a small talk
// written by a lean tool. Replacing it would throw its slides away; one that
// was cut short is never well-formed, so it still makes way.
bool IsCompleteContentDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader reader(&file);
    bool rootSeen = false;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && !rootSeen) {
            rootSeen = true;
            if (reader.namespaceUri() !=
                    QLatin1String("urn:oasis:names:tc:opendocument:xmlns:office:1.0") ||
                reader.name() != QLatin1String("document-content"))
                return false;
        }
    }
    return rootSeen && !reader.hasError();
}
}  // namespace

QByteArray DefaultContentDocument() {
    QFile resource(":/rcdata/363");
    if (!resource.open(QIODevice::ReadOnly)) return {};
    return resource.readAll();
}

int EnsureContentDocument(const QString& workingFolder) {
    try {
        const QByteArray document = DefaultContentDocument();
        if (document.isEmpty()) return 0;

        QString path = workingFolder;
        if (!path.endsWith('/')) path += '/';
        path += "content.xml";

        const bool exists = platform::PathExists(path);
        if (exists) {
            platform::ReadOnlyFile existing;
            if (existing.Open(path) == 0 && existing.Size() > kShortContentBytes) return 1;
            existing.Close();
            if (IsCompleteContentDocument(path)) return 1;
        }
        // A text document, a spreadsheet or a PowerPoint package given the
        // presentation's one blank slide would open as that slide alone.
        // Asked only once the content.xml on hand has to make way.
        if (!DetectPackageKind(workingFolder).presentation) return 1;

        if (exists) {
            // A short or unreadable one makes way; where it cannot be deleted
            // it is overwritten below. A folder of that name (a damaged member
            // name such as "content.xml/x") would leave the package without
            // slides at all, so it goes too: it is our own working folder.
            if (platform::FolderExists(path) && !platform::IsSymLink(path))
                RemoveFolderTree(path);
            else
                platform::DeleteFile(path);
        }

        platform::WriteFile file;
        if (file.Create(path) != 0) return 0;
        return file.Write(document.constData(), document.size()) == document.size() ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}
