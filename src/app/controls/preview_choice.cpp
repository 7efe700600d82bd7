#include "app/controls/preview_choice.h"

#include <vector>

#include "platform/files.h"
#include "platform/folders.h"

QString FindPreviewPicture(const QString& workingFolder) {
    QString found;
    ForEachPreviewCandidate(workingFolder, [&found](const QString& path) {
        found = path;
        return true;
    });
    return found;
}

void ForEachPreviewCandidate(const QString& workingFolder,
                             const std::function<bool(const QString&)>& take) {
    const QString thumbnail = workingFolder + "/Thumbnails/thumbnail.png";
    if (platform::FileExists(thumbnail) && take(thumbnail)) return;

    // Depth first with an explicit stack: each level keeps its listing and the
    // position reached in it, so a deep chain of folders cannot exhaust the call stack.
    struct Level {
        QString path;
        std::vector<platform::FolderEntry> entries;
        size_t next = 0;
    };
    std::vector<Level> stack;
    stack.push_back({workingFolder, platform::ListFolder(workingFolder), 0});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.entries.size()) {
            stack.pop_back();
            continue;
        }
        const platform::FolderEntry& entry = level.entries[level.next++];
        const QString path = level.path + '/' + entry.name;
        if (entry.isFolder) {
            std::vector<platform::FolderEntry> entries = platform::ListFolder(path);
            stack.push_back({path, std::move(entries), 0});  // `level` is not used after this
        } else if (HasPictureExtension(entry.name) && !platform::IsSymLink(path) &&
                   platform::FileExists(path)) {
            // Only plain files: a link could point anywhere, and reading a pipe never ends.
            // The thumbnail was offered first already.
            if (path != thumbnail && take(path)) return;
        }
    }
}
