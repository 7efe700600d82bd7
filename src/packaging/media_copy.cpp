#include "packaging/media_copy.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/picture_names.h"

int CopyMediaFiles(const QString& folder, const QString& mediaFolder) {
    // A link in the destination could carry the pictures anywhere: neither a
    // linked media folder nor a linked picture in it is written through.
    if (platform::IsSymLink(mediaFolder)) return 1;
    const QString base = folder + '/';
    for (const platform::FolderEntry& entry : platform::ListFolder(base)) {
        const QString path = base + entry.name;
        if (entry.isFolder)
            CopyMediaFiles(path, mediaFolder);
        else if (HasPictureExtension(entry.name) &&
                 !platform::IsSymLink(mediaFolder + '/' + entry.name))
            platform::CopyFile(path, mediaFolder + '/' + entry.name);
    }
    return 1;
}
