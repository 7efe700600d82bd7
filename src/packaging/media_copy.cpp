#include "packaging/media_copy.h"

#include <algorithm>

#include "platform/folders.h"
#include "recovery/picture_names.h"

int CopyMediaFiles(const QString& folder, const QString& mediaFolder, MediaCopyResult* result,
                   const std::vector<platform::FileIdentity>* keepIntact) {
    // A link in the destination could carry the pictures anywhere: neither a
    // linked media folder nor a linked picture in it is written through.
    if (platform::IsSymLink(mediaFolder)) return 1;
    const QString base = folder + '/';
    for (const platform::FolderEntry& entry : platform::ListFolder(base)) {
        const QString path = base + entry.name;
        if (entry.isFolder) {
            CopyMediaFiles(path, mediaFolder, result, keepIntact);
            continue;
        }
        if (!HasPictureExtension(entry.name)) continue;
        const QString target = mediaFolder + '/' + entry.name;
        QString refusal;
        if (platform::IsSymLink(target)) {
            refusal = target + " is a symbolic link";
        } else if (keepIntact) {
            const std::optional<platform::FileIdentity> id = platform::IdentityOf(target);
            if (id && std::find(keepIntact->begin(), keepIntact->end(), *id) != keepIntact->end())
                refusal = target + " is one of the files being repaired";
        }
        const bool copied = refusal.isEmpty() && platform::CopyFile(path, target);
        if (!result) continue;
        if (copied) {
            ++result->copied;
        } else {
            ++result->failed;
            result->lastError = !refusal.isEmpty() ? refusal : "cannot write " + target;
        }
    }
    return 1;
}
