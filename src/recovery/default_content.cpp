#include "recovery/default_content.h"

#include <QFile>
#include <exception>

#include "platform/files.h"
#include "platform/folders.h"

namespace {
// An extracted content.xml longer than this is kept as it is.
constexpr int64_t kShortContentBytes = 3458;
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

        if (platform::PathExists(path)) {
            platform::ReadOnlyFile existing;
            if (existing.Open(path) == 0 && existing.Size() > kShortContentBytes) return 1;
            existing.Close();
            // A short or unreadable one makes way; where it cannot be deleted
            // it is overwritten below.
            platform::DeleteFile(path);
        }

        platform::WriteFile file;
        if (file.Create(path) != 0) return 0;
        return file.Write(document.constData(), document.size()) == document.size() ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}
