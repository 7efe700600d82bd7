#include "recovery/salvage/salvage_runner.h"

#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/crc32.h"
#include "recovery/default_content.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/member_output.h"
#include "recovery/member_path.h"
#include "recovery/member_records.h"
#include "recovery/package_kind.h"
#include "recovery/salvage/central_directory.h"
#include "recovery/salvage/partial_inflate.h"
#include "recovery/salvage/xml_prefix.h"
#include "recovery/salvage/xml_salvage.h"

namespace {

constexpr uint16_t kMethodDeflate = 8;
// No zip member holds more than this; a stream that claims more is cut here.
constexpr uint64_t kMaxMemberBytes = 0xFFFFFFFFull;
constexpr int64_t kDescriptorBytes = 16;
// A member without sizes that is no XML (a picture) is inflated no further.
constexpr uint64_t kMaxUnsizedBytes = uint64_t(512) << 20;
// Gaps smaller than a local header hold no member.
constexpr int64_t kSmallestGap = 30;

const QString kContent = "content.xml";
const QString kManifest = "META-INF/manifest.xml";

bool IsXmlName(const QString& path) {
    return path.endsWith(".xml", Qt::CaseInsensitive);
}

// The working folder's file a member name lands in, relative, "/" between
// levels; empty for a folder entry.
QString RelativePathOf(const QString& name) {
    const MemberPath path = SplitMemberName(name);
    if (path.endsWithSeparator || path.levels.isEmpty()) return {};
    return path.levels.join('/');
}

// One member of the package as salvage sees it.
struct Member {
    QString path;  // relative output path
    int64_t headerOffset = 0;
    int64_t dataOffset = 0;
    int64_t end = 0;  // the next local header or the end of the file
    int64_t compressedSize = 0;
    int64_t coveredEnd = 0;  // last byte claimed by the member, plus one
    uint16_t method = kMethodDeflate;
    bool copied = false;  // the extraction copies it (equal sizes)
    RecordedCheck recorded;
    bool found = false;  // from the search of unclaimed bytes
};

// What inflating (or copying) a member that is not whole gave.
struct Attempt {
    const Member* member = nullptr;
    std::unique_ptr<QTemporaryFile> decoded;  // its bytes as far as they went
    PartialInflate outcome;
    bool whole = false;
};

const QByteArray& BuiltInDocument() {
    static const QByteArray builtIn = DefaultContentDocument();
    return builtIn;
}

bool IsBuiltInDocument(const QString& path) {
    const QByteArray& builtIn = BuiltInDocument();
    platform::ReadOnlyFile file;
    if (file.Open(path) != 0 || file.Size() != builtIn.size()) return false;
    QByteArray bytes(builtIn.size(), '\0');
    return file.ReadAt(0, bytes.data(), bytes.size()) == bytes.size() && bytes == builtIn;
}

std::unique_ptr<QTemporaryFile> NewTempFile() {
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/pelmark-salvage-XXXXXX");
    if (!file->open()) return nullptr;
    return file;
}

class Runner {
public:
    Runner(const QString& folder, const std::function<bool()>& keepRunning,
           const SalvageSteps& steps, const MemberRecords* records)
        : m_folder(folder), m_keepRunning(keepRunning), m_steps(steps), m_records(records) {}

    SalvageResult Run(const QString& packagePath);

private:
    // The length and CRC-32 of a file of the working folder.
    struct FileSum {
        bool read = false;
        int64_t length = 0;
        uint32_t crc = 0;
    };
    FileSum SumOf(const QString& path) const;
    void Survey();
    void CheckExtracted();
    void TryMember(const Member& m);
    void FindOrphans();
    void SalvageXml(Attempt& attempt);
    bool Install(const QString& path, QIODevice& bytes);
    bool AnyXmlUnchecked() const;
    void SweepXml();
    // content.xml is there and is not the built-in document.
    bool HoldsOwnContent() const;
    void SettleContent();
    QString FullPath(const QString& relative) const { return m_folder + '/' + relative; }
    bool Running() const { return m_keepRunning(); }

    const QString m_folder;
    const std::function<bool()>& m_keepRunning;
    const SalvageSteps& m_steps;
    const MemberRecords* m_records;  // what the scan and the extraction recorded, if they did
    platform::ReadOnlyFile m_package;
    int64_t m_length = 0;
    std::deque<Member> m_members;  // file order, found members after them; never moves
    std::vector<Attempt> m_attempts;
    std::vector<ByteRange> m_headersOnly;  // local headers of entries that hold nothing
    QSet<QString> m_whole;                 // paths holding a member recovered whole
    QSet<QString> m_verified;              // of those, the ones whose CRC-32 matched
    QSet<QString> m_written;               // paths salvage wrote and checked
    QSet<QString> m_installed;             // files salvage put in the folder, by their path there
    bool m_folderChanged = false;          // salvage put a file in the folder or took one out
    bool m_contentSalvaged = false;
    XmlSalvage m_contentSalvage;
    SalvageResult m_result;
};

void Runner::Survey() {
    std::vector<LocalHeaderRecord> walked;
    if (!m_records)
        WalkLocalHeaders(m_package, m_keepRunning,
                         [&walked](const LocalHeaderRecord& r) { walked.push_back(r); });
    const std::vector<LocalHeaderRecord>& records = m_records ? m_records->headers : walked;
    for (size_t i = 0; i < records.size(); ++i) {
        const LocalHeaderRecord& r = records[i];
        Member m;
        m.path = RelativePathOf(r.entry.name);
        m.headerOffset = r.headerOffset;
        m.dataOffset = std::min<int64_t>(int64_t(r.entry.dataOffset), m_length);
        // A folder entry or an empty member holds no data, but its header
        // is no lost member either.
        const ByteRange header{m.headerOffset, m.dataOffset};
        if (m.path.isEmpty()) {
            m_headersOnly.push_back(header);
            continue;
        }
        m.end = i + 1 < records.size() ? records[i + 1].headerOffset : m_length;
        m.end = std::max(m.end, m.dataOffset);
        m.method = r.method;
        m.compressedSize = r.entry.compressedSize;
        const uint32_t crc = r.descriptorFound ? r.descriptorCrc : r.headerCrc;
        if (r.kept) {
            m.copied = r.entry.compressedSize == r.entry.uncompressedSize;
            // A CRC of 0 over data is one chance in four thousand million;
            // a 0 here means none was written.
            m.recorded = {true, r.entry.uncompressedSize, crc != 0 || r.entry.uncompressedSize == 0,
                          crc};
            m.coveredEnd = m.dataOffset + m.compressedSize;
            if (r.descriptorFound)
                m.coveredEnd = std::max(m.coveredEnd, r.descriptorOffset + kDescriptorBytes);
        } else if (r.method == kMethodDeflate) {
            // Dropped by the scan for want of sizes: its data runs to the next header.
            m.recorded.crcKnown = crc != 0;
            m.recorded.crc = crc;
            m.coveredEnd = m.dataOffset;
        } else {
            m_headersOnly.push_back(header);  // an empty stored member
            continue;
        }
        m.coveredEnd = std::min(m.coveredEnd, m_length);
        m_members.push_back(m);
    }
}

Runner::FileSum Runner::SumOf(const QString& path) const {
    if (m_records) {
        // Summed as the extraction wrote it: the file is not read again.
        const auto written = m_records->written.constFind(path);
        if (written != m_records->written.cend())
            return {true, int64_t(written->length), written->crc};
    }
    FileSum sum;
    const QString full = FullPath(path);
    sum.read = platform::FileExists(full) && FileLengthAndCrc(full, &sum.length, &sum.crc);
    return sum;
}

void Runner::CheckExtracted() {
    QHash<QString, FileSum> sums;
    for (const Member& m : m_members) {
        if (!m.recorded.sizeKnown) continue;
        auto it = sums.find(m.path);
        if (it == sums.end()) it = sums.insert(m.path, SumOf(m.path));
        if (it->read && m.recorded.Matches(uint64_t(it->length), it->crc)) {
            m_whole.insert(m.path);
            if (m.recorded.crcKnown) m_verified.insert(m.path);
        }
    }
}

void Runner::TryMember(const Member& m) {
    if (m_whole.contains(m.path) || !Running()) return;
    Attempt attempt;
    attempt.member = &m;
    attempt.decoded = NewTempFile();
    if (!attempt.decoded) return;
    QTemporaryFile* out = attempt.decoded.get();
    const ByteSink sink = [out](const char* data, int64_t n) { return out->write(data, n) == n; };
    if (m.copied || m.method == 0) {
        const int64_t want = m.recorded.sizeKnown ? int64_t(m.recorded.size) : m.end - m.dataOffset;
        const int64_t count = std::min(want, m_length - m.dataOffset);
        attempt.outcome.consumed =
            CopyAsFarAsItGoes(m_package, m.dataOffset, count, sink, &attempt.outcome.crc);
        attempt.outcome.produced = uint64_t(attempt.outcome.consumed);
        attempt.outcome.streamEnded = attempt.outcome.consumed == want;
    } else {
        // A damaged member's sizes may belong to another: its stream is read
        // to its end, within what salvage or a length check can use.
        uint64_t limit = IsXmlName(m.path)      ? uint64_t(kMaxSalvagedXmlBytes) + 1
                         : m.recorded.sizeKnown ? m.recorded.size + 1
                                                : kMaxUnsizedBytes;
        limit = std::min(limit, kMaxMemberBytes);
        attempt.outcome =
            InflateAsFarAsItGoes(m_package, m.dataOffset, m.end, limit, sink, m_keepRunning);
    }
    if (attempt.outcome.stopped || !out->flush()) return;
    attempt.whole = attempt.outcome.streamEnded &&
                    m.recorded.Matches(attempt.outcome.produced, attempt.outcome.crc);
    const_cast<Member&>(m).coveredEnd =
        std::max(m.coveredEnd, std::min(m.dataOffset + attempt.outcome.consumed, m_length));

    if (attempt.whole) {
        // It decodes to exactly what was recorded, or to the end of a
        // stream whose sizes were never found: the member is whole.
        if (Install(m.path, *out)) {
            m_whole.insert(m.path);
            if (m.recorded.crcKnown) m_verified.insert(m.path);
            if (m.found)
                m_result.foundWithoutHeader << m.path;
            else if (!m.recorded.sizeKnown)
                m_result.toStreamEnd << m.path;
        }
        return;
    }
    // Damaged: only XML members are worked on further; any other keeps what
    // the extraction made of it.
    if (IsXmlName(m.path)) m_attempts.push_back(std::move(attempt));
}

void Runner::FindOrphans() {
    if (!m_steps.findOrphans || !Running()) return;
    std::vector<ByteRange> claimed;
    for (const Member& m : m_members) claimed.push_back({m.headerOffset, m.coveredEnd});
    claimed.insert(claimed.end(), m_headersOnly.begin(), m_headersOnly.end());
    std::sort(claimed.begin(), claimed.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    std::vector<ByteRange> unclaimed;
    int64_t at = 0;
    for (const ByteRange& r : claimed) {
        if (r.begin - at >= kSmallestGap) unclaimed.push_back({at, r.begin});
        at = std::max(at, r.end);
    }
    if (m_length - at >= kSmallestGap) unclaimed.push_back({at, m_length});
    // An intact central directory holds no member.
    unclaimed.erase(std::remove_if(unclaimed.begin(), unclaimed.end(),
                                   [this](const ByteRange& r) {
                                       return IsWholeCentralDirectory(m_package, r.begin, r.end);
                                   }),
                    unclaimed.end());
    if (unclaimed.empty()) return;

    const std::vector<FoundMember> found = m_steps.findOrphans(m_package, unclaimed, m_keepRunning);
    const size_t before = m_members.size();
    for (const FoundMember& f : found) {
        Member m;
        m.path = RelativePathOf(f.name);
        if (m.path.isEmpty() || m_whole.contains(m.path)) continue;  // never replace a whole one
        m.found = true;
        m.headerOffset = m.dataOffset = std::clamp<int64_t>(f.dataOffset, 0, m_length);
        m.end = std::clamp<int64_t>(f.dataEnd, m.dataOffset, m_length);
        m.method = f.method;
        m.recorded = f.recorded;
        m.coveredEnd = m.dataOffset;
        m_members.push_back(m);
    }
    for (size_t i = before; i < m_members.size(); ++i) TryMember(m_members[i]);
}

bool Runner::Install(const QString& path, QIODevice& bytes) {
    QString output = path;
    CreateEntryFolders(m_folder, output, nullptr);
    if (platform::PathExists(output) && !platform::FileExists(output)) return false;
    MemberOutput file(output);
    if (!file.IsOpen() || !bytes.seek(0)) return false;
    while (!bytes.atEnd()) {
        const QByteArray block = bytes.read(256 * 1024);
        if (block.isEmpty() || !file.Write(block.constData(), block.size())) return false;
    }
    if (!file.Commit()) return false;
    m_installed.insert(output.mid(m_folder.size() + 1));
    m_folderChanged = true;
    return true;
}

void Runner::SalvageXml(Attempt& attempt) {
    const Member& m = *attempt.member;
    if (m_whole.contains(m.path) || m_written.contains(m.path) || !Running()) return;
    // A broken manifest is rebuilt from the files there are: a cut one
    // would leave the later members out of it.
    if (m.path.compare(kManifest, Qt::CaseInsensitive) == 0) return;
    const bool deflated = !(m.copied || m.method == 0);

    DamagedStream damaged;
    damaged.name = m.path;
    damaged.dataOffset = m.dataOffset;
    damaged.dataEnd = m.end;
    damaged.goodInput = attempt.outcome.consumed;
    damaged.goodOutput = attempt.outcome.produced;
    damaged.recorded = m.recorded;

    if (deflated && m_steps.repairBit && m.recorded.Complete() &&
        m.end - m.dataOffset <= kMaxBitRepairInput) {
        std::unique_ptr<QTemporaryFile> repaired = NewTempFile();
        if (repaired) {
            QTemporaryFile* out = repaired.get();
            uint32_t crc = 0;
            uint64_t length = 0;
            const ByteSink sink = [out, &crc, &length](const char* data, int64_t n) {
                crc = Crc32(crc, data, size_t(n));
                length += uint64_t(n);
                return out->write(data, n) == n;
            };
            // Accepted only when the whole member is then what was recorded.
            if (m_steps.repairBit(m_package, damaged, m_keepRunning, sink) && out->flush() &&
                m.recorded.Matches(length, crc) && Install(m.path, *out)) {
                m_whole.insert(m.path);
                m_verified.insert(m.path);
                m_result.putRight << m.path;
                return;
            }
        }
    }
    if (!Running()) return;

    // Past the damage (a stream that ended with the wrong length or CRC-32
    // may have decoded straight through a zeroed stretch).
    LaterRuns later;
    const bool content = m.path == kContent;
    if (content && deflated && m_steps.resync)
        later = m_steps.resync(m_package, damaged, m_keepRunning);
    if (!Running()) return;
    if (later.prefixEnd >= 0 && later.prefixEnd < attempt.decoded->size())
        attempt.decoded->resize(later.prefixEnd);
    const QList<QByteArray>& laterRuns = later.runs;

    std::unique_ptr<QTemporaryFile> salvaged = NewTempFile();
    if (!salvaged || !attempt.decoded->seek(0)) return;
    const XmlSalvage done =
        content ? SalvageContentXml(*attempt.decoded, laterRuns, *salvaged, m_keepRunning)
                : SalvageXmlMember(*attempt.decoded, *salvaged, m_keepRunning);
    if (!done.written || !Install(m.path, *salvaged)) return;
    m_written.insert(m.path);
    if (m.found && !m_result.foundWithoutHeader.contains(m.path))
        m_result.foundWithoutHeader << m.path;
    if (!m.recorded.sizeKnown && !m.found) m_result.toStreamEnd.removeAll(m.path);
    m_result.salvaged << m.path;
    if (content) {
        m_contentSalvaged = true;
        m_contentSalvage = done;
    }
}

bool Runner::AnyXmlUnchecked() const {
    // Only what the folder holds tells, unless the extraction recorded
    // every file it wrote: then those, what salvage put there and the
    // built-in document are all it can hold.
    if (!m_records) return true;
    QStringList names = m_records->written.keys();
    names << QStringList(m_installed.begin(), m_installed.end()) << kContent;
    for (const QString& name : names)
        if (IsXmlName(name) && !m_verified.contains(name) && !m_written.contains(name) &&
            platform::FileExists(FullPath(name)))
            return true;
    return false;
}

void Runner::SweepXml() {
    // Every .xml file in the folder: ones that are neither verified nor
    // written by salvage must be well-formed, or they go.
    if (!AnyXmlUnchecked()) return;
    QStringList files;
    std::function<void(const QString&)> walk = [&](const QString& prefix) {
        for (const platform::FolderEntry& e : platform::ListFolder(FullPath(prefix))) {
            const QString name = prefix + e.name;
            if (e.isFolder)
                walk(name + '/');
            else if (IsXmlName(name) && platform::FileExists(FullPath(name)))
                files << name;
        }
    };
    walk(QString());
    for (const QString& name : files) {
        if (m_verified.contains(name) || m_written.contains(name)) continue;
        if (IsWellFormedXmlFile(FullPath(name))) continue;
        platform::DeleteFile(FullPath(name));
        m_folderChanged = true;
        m_whole.remove(name);
        if (name != kContent && name.compare(kManifest, Qt::CaseInsensitive) != 0)
            m_result.leftOut << name;
    }
}

bool Runner::HoldsOwnContent() const {
    if (m_records && m_verified.contains(kContent)) {
        // The file the extraction wrote and its CRC-32 confirmed is still
        // there, and it can be the built-in document only if it is as long.
        const auto written = m_records->written.constFind(kContent);
        if (written != m_records->written.cend() &&
            written->length != uint64_t(BuiltInDocument().size()))
            return true;
    }
    const QString path = FullPath(kContent);
    return platform::FileExists(path) && !IsBuiltInDocument(path);
}

void Runner::SettleContent() {
    // A text, a spreadsheet or an Office Open XML package has no slides to
    // count, and never gets the presentation's built-in document.
    const bool presentation = m_records && m_records->presentation && !m_folderChanged
                                  ? *m_records->presentation
                                  : DetectPackageKind(m_folder).presentation;
    if (!presentation) return;
    const QString path = FullPath(kContent);
    if (m_contentSalvaged) {
        m_result.slides = SalvageResult::Slides::Salvaged;
        m_result.slidesKept = m_contentSalvage.slides;
        m_result.slidesFromLaterRuns = m_contentSalvage.slidesFromLaterRuns;
        return;
    }
    if (HoldsOwnContent()) {
        // Recovered whole, or (after a stop) well-formed but not confirmed.
        m_result.slides = m_whole.contains(kContent) ? SalvageResult::Slides::Whole
                                                     : SalvageResult::Slides::Salvaged;
        m_result.slidesKept = std::max(0, CountSlides(path));
        return;
    }
    // Nothing of the package's own slides: the built-in document stands in.
    EnsureContentDocument(m_folder);
    m_result.slides = SalvageResult::Slides::Lost;
    m_result.slidesKept = 0;
}

SalvageResult Runner::Run(const QString& packagePath) {
    if (m_package.Open(packagePath) == 0) {
        m_length = m_package.Size();
        Survey();
        CheckExtracted();
        for (const Member& m : m_members)
            if (!m.recorded.sizeKnown || !m_whole.contains(m.path)) TryMember(m);
        FindOrphans();
        // One salvage per path: the attempt that decoded most.
        std::stable_sort(m_attempts.begin(), m_attempts.end(),
                         [](const Attempt& a, const Attempt& b) {
                             return a.outcome.produced > b.outcome.produced;
                         });
        for (Attempt& a : m_attempts) SalvageXml(a);
        m_package.Close();
    }
    SweepXml();
    SettleContent();
    return m_result;
}

}  // namespace

SalvageResult SalvagePackage(const QString& packagePath, const QString& workingFolder,
                             const std::function<bool()>& keepRunning, const SalvageSteps& steps) {
    return SalvagePackage(packagePath, workingFolder, keepRunning, nullptr, steps);
}

SalvageResult SalvagePackage(const QString& packagePath, const QString& workingFolder,
                             const std::function<bool()>& keepRunning, const MemberRecords* records,
                             const SalvageSteps& steps) {
    QString folder = workingFolder;
    while (folder.endsWith('/')) folder.chop(1);
    Runner runner(folder, keepRunning, steps, records);
    return runner.Run(packagePath);
}
