#include "packaging/media_copy.h"

#include "platform/files.h"
#include "platform/folders.h"

namespace {

bool IsPictureName(const QString& name) {
    static const char* const kPictureExtensions[] = {"jpg", "bmp", "png", "gif", "emf", "jpeg"};
    const int dot = name.lastIndexOf('.');
    if (dot < 0) return false;
    const QString extension = name.mid(dot + 1);
    for (const char* picture : kPictureExtensions) {
        // Only ASCII letters fold, as in the extension list itself.
        const QLatin1String wanted(picture);
        if (extension.size() != wanted.size()) continue;
        bool same = true;
        for (int i = 0; i < extension.size() && same; ++i) {
            QChar c = extension[i];
            if (c >= 'A' && c <= 'Z') c = QChar(c.unicode() - 'A' + 'a');
            same = c == QLatin1Char(wanted[i]);
        }
        if (same) return true;
    }
    return false;
}

}  // namespace

int CopyMediaFiles(const QString& folder, const QString& mediaFolder) {
    // A link in the destination could carry the pictures anywhere: neither a
    // linked media folder nor a linked picture in it is written through.
    if (platform::IsSymLink(mediaFolder)) return 1;
    const QString base = folder + '/';
    for (const platform::FolderEntry& entry : platform::ListFolder(base)) {
        const QString path = base + entry.name;
        if (entry.isFolder)
            CopyMediaFiles(path, mediaFolder);
        else if (IsPictureName(entry.name) && !platform::IsSymLink(mediaFolder + '/' + entry.name))
            platform::CopyFile(path, mediaFolder + '/' + entry.name);
    }
    return 1;
}
