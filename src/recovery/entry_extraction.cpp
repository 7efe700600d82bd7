#include "recovery/entry_extraction.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/default_content.h"
#include "recovery/job_view.h"
#include "recovery/member_output.h"
#include "recovery/member_path.h"
#include "recovery/raw_inflate.h"

namespace {

constexpr int64_t kCopyChunk = 256 * 1024;

// Copies `count` bytes of `from` at `offset` to `to`. False when a read or a
// write fails.
bool CopyBytes(const platform::ReadOnlyFile& from, int64_t offset, int64_t count,
               const std::function<bool(const void*, int64_t)>& to) {
    std::vector<char> buffer(size_t(std::clamp<int64_t>(count, 1, kCopyChunk)));
    for (int64_t done = 0; done < count;) {
        const int64_t n =
            from.ReadAt(offset + done, buffer.data(), std::min<int64_t>(kCopyChunk, count - done));
        if (n <= 0 || !to(buffer.data(), n)) return false;
        done += n;
    }
    return true;
}

// Every compressed member reserves a temporary file of its own ("OPC...TMP"
// in the temporary folder) while it is decompressed, and the file is gone
// again when the member is done. The compressed bytes are not copied into it:
// they are read straight from the package, which is open for reading anyway,
// so a member costs one pass over its bytes instead of three.
bool InflateWithTempFile(const platform::ReadOnlyFile& package, int64_t offset, int64_t count,
                         uint32_t expected, MemberOutput& output) {
    const std::optional<QString> tempPath =
        platform::CreateUniqueTempFile(platform::TempPath(), "OPC");
    const bool ok = InflateRawMember(package, offset, count, expected, output);
    if (tempPath) platform::DeleteFile(*tempPath);
    return ok;
}

}  // namespace

int CreateEntryFolders(const QString& workingFolder, QString& name, JobView* view) {
    QString folder = workingFolder;
    if (!folder.endsWith('/')) folder += '/';
    const MemberPath path = SplitMemberName(name);

    // Every level but the file name is a folder; all of them when the name
    // itself ends in a separator.
    const int folderLevels =
        path.endsWithSeparator ? int(path.levels.size()) : int(path.levels.size()) - 1;
    QString level = folder;
    for (int i = 0; i < folderLevels; ++i) {
        level += path.levels[i] + '/';
        const int error = platform::CreateFolder(level);
        if (error != 0 && error != EEXIST && view)
            view->ShowMessage(platform::ErrorText(error), kMsgInfo);
    }

    name = folder + path.levels.join('/');
    if (path.endsWithSeparator && !path.levels.isEmpty()) name += '/';
    return path.hadSeparator ? 1 : 0;
}

void ExtractEntry(const EntryInfo& entry, const QString& workingFolder, const QString& packagePath,
                  const QString& outputPath) {
    Q_UNUSED(workingFolder);
    platform::ReadOnlyFile package;
    if (package.Open(packagePath) != 0) return;

    // The sizes are claims of a damaged header: never read more than the
    // package still holds after the data offset.
    const int64_t length = package.Size();
    const int64_t offset = int64_t(std::min<uint64_t>(entry.dataOffset, uint64_t(length)));
    const int64_t count = std::min<int64_t>(entry.compressedSize, length - offset);

    if (entry.compressedSize != 0 && entry.compressedSize == entry.uncompressedSize) {
        // Equal sizes mean a plain copy, whatever method the header named.
        MemberOutput output(outputPath);
        if (!output.IsOpen()) return;
        if (CopyBytes(package, offset, count,
                      [&output](const void* data, int64_t n) { return output.Write(data, n); }))
            output.Commit();
        return;
    }
    if (entry.compressedSize == 0 && entry.uncompressedSize == 0) return;

    MemberOutput output(outputPath);
    if (!output.IsOpen()) return;
    if (InflateWithTempFile(package, offset, count, entry.uncompressedSize, output))
        output.Commit();
}

int ExtractEntries(const QString& workingFolder, const QString& packagePath, JobParams* params) {
    JobView* view = params->view;
    const int count = view->EntryCount();
    if (count == 0) return 0;

    view->SetProgressRange(ProgressBar::File, uint16_t(count));
    view->SetProgressPos(ProgressBar::File, 0);
    QString folder = workingFolder;
    if (!folder.endsWith('/')) folder += '/';
    for (int i = 0; i < count; ++i) {
        const EntryInfo entry = view->Entry(i);
        QString outputPath = entry.name;
        CreateEntryFolders(folder, outputPath, view);
        ExtractEntry(entry, folder, packagePath, outputPath);
        view->SetProgressPos(ProgressBar::File, i);
    }
    EnsureContentDocument(folder);
    view->SetProgressPos(ProgressBar::File, count);
    return 1;
}
