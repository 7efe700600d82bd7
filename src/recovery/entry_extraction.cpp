#include "recovery/entry_extraction.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/default_content.h"
#include "recovery/job_view.h"
#include "recovery/member_output.h"
#include "recovery/member_path.h"
#include "recovery/member_records.h"
#include "recovery/raw_inflate.h"
#include "recovery/write_guard.h"

namespace {

constexpr int64_t kCopyChunk = 256 * 1024;

enum class MemberOutcome { Written, LeftOut, Stopped, NoRoom };

// What one package's extraction keeps from member to member: the package,
// open once, the decompressor and the copy buffer, and the guard on writes.
// With `records`, each file written is summed and recorded there by its path
// after the first `folderLength` characters.
struct ExtractionContext {
    const platform::ReadOnlyFile& package;
    WriteGuard* guard;
    RawInflater inflater;
    std::vector<char> copyBuffer;
    MemberRecords* records;
    int folderLength;
};

MemberOutcome OutcomeOf(const MemberOutput& output) {
    switch (output.Refusal()) {
        case WriteVerdict::Stopped:
            return MemberOutcome::Stopped;
        case WriteVerdict::NoRoom:
            return MemberOutcome::NoRoom;
        case WriteVerdict::Go:
            break;
    }
    return MemberOutcome::LeftOut;
}

bool CopyMember(int64_t offset, int64_t count, MemberOutput& output, ExtractionContext& context) {
    std::vector<char>& buffer = context.copyBuffer;
    const size_t want = size_t(std::clamp<int64_t>(count, 1, kCopyChunk));
    if (buffer.size() < want) buffer.resize(want);
    for (int64_t done = 0; done < count;) {
        const int64_t n = context.package.ReadAt(
            offset + done, buffer.data(), std::min<int64_t>(int64_t(buffer.size()), count - done));
        if (n <= 0 || !output.Write(buffer.data(), n)) return false;
        done += n;
    }
    return true;
}

// Writes one member from the open package. The compressed bytes are read
// straight from the package and inflated into the member's own file: no
// temporary file and no copy of the member in memory.
MemberOutcome ExtractMember(const EntryInfo& entry, const QString& outputPath,
                            ExtractionContext& context) {
    // The sizes are claims of a damaged header: never read more than the
    // package still holds after the data offset.
    const int64_t length = context.package.Size();
    const int64_t offset = int64_t(std::min<uint64_t>(entry.dataOffset, uint64_t(length)));
    const int64_t count = std::min<int64_t>(entry.compressedSize, length - offset);
    // Equal sizes mean a plain copy, whatever method the header named.
    const bool copy = entry.compressedSize != 0 && entry.compressedSize == entry.uncompressedSize;
    if (!copy && entry.compressedSize == 0 && entry.uncompressedSize == 0)
        return MemberOutcome::LeftOut;

    MemberOutput output(outputPath, context.guard);
    if (!output.IsOpen()) return MemberOutcome::LeftOut;
    // The sum costs a pass over bytes already in the cache, and spares the
    // checks after the extraction reading the file back.
    if (context.records) output.KeepSum();
    const bool written = copy ? CopyMember(offset, count, output, context)
                              : context.inflater.Inflate(context.package, offset, count,
                                                         entry.uncompressedSize, output);
    if (!written) return OutcomeOf(output);
    if (!output.Commit()) return MemberOutcome::LeftOut;
    if (context.records)
        context.records->written.insert(outputPath.mid(context.folderLength),
                                        {output.Length(), output.Crc()});
    return MemberOutcome::Written;
}

// The built-in document takes the place only of a content.xml shorter than
// itself: when the file is no longer as long as what was written, what was
// written is gone.
void ForgetReplacedContent(const QString& folder, MemberRecords* records) {
    const QString name = "content.xml";
    const auto written = records->written.find(name);
    if (written == records->written.end()) return;
    static const uint64_t builtInLength = uint64_t(DefaultContentDocument().size());
    if (written->length >= builtInLength) return;  // kept as it is, never looked at again
    platform::ReadOnlyFile file;
    if (file.Open(folder + name) != 0 || uint64_t(file.Size()) != written->length)
        records->written.erase(written);
}

QString MiB(uint64_t bytes) {
    return QString::number(double(bytes) / (1 << 20), 'f', 0) + " MiB";
}

}  // namespace

int CreateEntryFolders(const QString& workingFolder, QString& name, JobView* view) {
    return CreateEntryFolders(workingFolder, name, view, nullptr);
}

int CreateEntryFolders(const QString& workingFolder, QString& name, JobView* view,
                       QSet<QString>* madeFolders, bool* shortened) {
    QString folder = workingFolder;
    if (!folder.endsWith('/')) folder += '/';
    MemberPath path = SplitMemberName(name);
    // The scanner keeps names the file system would refuse; such a member
    // would otherwise vanish without a word.
    const bool fitted = FitLevelsToFileSystem(&path);
    if (shortened) *shortened = fitted;

    // Every level but the file name is a folder; all of them when the name
    // itself ends in a separator.
    const int folderLevels =
        path.endsWithSeparator ? int(path.levels.size()) : int(path.levels.size()) - 1;
    QString level = folder;
    for (int i = 0; i < folderLevels; ++i) {
        level += path.levels[i] + '/';
        // A level this package's members already made is not made again; one
        // that failed is tried (and reported) again, as each member needs it.
        if (madeFolders && madeFolders->contains(level)) continue;
        const int error = platform::CreateFolder(level);
        if (error != 0 && error != EEXIST && view)
            view->ShowMessage(platform::ErrorText(error), kMsgInfo);
        else if (madeFolders)
            madeFolders->insert(level);
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
    ExtractionContext context{package, nullptr, {}, {}, nullptr, 0};
    ExtractMember(entry, outputPath, context);
}

int ExtractEntries(const QString& workingFolder, const QString& packagePath, JobParams* params) {
    JobView* view = params->view;
    params->extractionCutShort = false;
    const int count = view->EntryCount();
    if (count == 0) return 0;

    view->SetProgressRange(ProgressBar::File, uint16_t(count));
    view->SetProgressPos(ProgressBar::File, 0);
    QString folder = workingFolder;
    if (!folder.endsWith('/')) folder += '/';

    // The package is opened once for all its members (no other program can
    // tell), and every folder level is made once per package.
    platform::ReadOnlyFile package;
    const bool opened = package.Open(packagePath) == 0;
    const std::atomic<int>& running = params->mainWnd->RunningFlag();
    WriteGuard guard(folder, &running, params->diskSpace);
    MemberRecords* records = params->memberRecords;
    if (records) records->written.clear();
    ExtractionContext context{package, &guard, {}, {}, records, int(folder.size())};
    QSet<QString> madeFolders;
    for (int i = 0; i < count; ++i) {
        if (running.load(std::memory_order_relaxed) == 0) {
            params->extractionCutShort = true;
            break;
        }
        const EntryInfo entry = view->Entry(i);
        QString outputPath = entry.name;
        bool shortened = false;
        CreateEntryFolders(folder, outputPath, view, &madeFolders, &shortened);
        if (shortened)
            view->AppendLog(packagePath + " member " + QString(entry.name).replace('\\', '/') +
                                " has a name too long for the file system; it is kept as " +
                                outputPath.mid(folder.size()) + "....\r\n",
                            kLogBlack);
        const MemberOutcome outcome =
            opened ? ExtractMember(entry, outputPath, context) : MemberOutcome::LeftOut;
        if (outcome == MemberOutcome::Stopped) {
            params->extractionCutShort = true;
            break;
        }
        if (outcome == MemberOutcome::NoRoom)
            view->AppendLog(packagePath + " " + QString(entry.name).replace('\\', '/') +
                                " left out: writing it would leave less than " +
                                MiB(guard.Reserve()) +
                                " free on the disk of the working folder....\r\n",
                            kLogRed);
        view->SetProgressPos(ProgressBar::File, i);
    }
    EnsureContentDocument(folder);
    if (records) ForgetReplacedContent(folder, records);
    view->SetProgressPos(ProgressBar::File, count);
    return 1;
}
