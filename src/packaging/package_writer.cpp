#include "packaging/package_writer.h"

#include <cerrno>
#include <string>
#include <vector>

#include "packaging/member_source.h"
#include "packaging/package_writer_steps.h"
#include "platform/errors.h"
#include "platform/file_stat.h"
#include "platform/files.h"

namespace {

// Bytes are gathered up to this much before they go to the file, and always
// before a member is done, so a small member costs one write.
constexpr size_t kFlushBytes = size_t(1) << 20;

}  // namespace

class PackageWriter {
public:
    int Create(const QString& path) {
        m_path = path;
        return m_file.Create(path);
    }
    ZipResult Add(const QString& memberName, const QString& sourcePath, QString* errorText,
                  bool plainStored = false);
    ZipResult Close(QString* errorText);

    ZipResult Begin(zip::MemberRecord* m, QString* errorText) {
        m->offset = static_cast<uint32_t>(m_written);
        m_headerOffset = m_written;
        if (!Append(zip::LocalHeader(*m)))
            return FailWith(kZipWriteFailed, errorText, WriteError());
        return kZipOk;
    }
    ZipResult Data(const char* data, int64_t count, uint64_t* dataBytes, QString* errorText) {
        const uint64_t before = m_written;
        const bool complete = Append(data, count);
        *dataBytes += m_written - before;
        return complete ? kZipOk : FailWith(kZipWriteFailed, errorText, WriteError());
    }
    ZipResult End(zip::MemberRecord* m, uint64_t dataBytes, QString* errorText);
    ZipResult Flush(QString* errorText);

private:
    // Adds `data` at the end; false when it (or what was gathered before it)
    // could not be written completely.
    bool Append(const char* data, int64_t count) {
        m_pending.append(data, size_t(count));
        m_written += static_cast<uint64_t>(count);
        return m_pending.size() < kFlushBytes || FlushPending();
    }
    bool Append(const QByteArray& bytes) { return Append(bytes.constData(), bytes.size()); }
    bool FlushPending() {
        if (m_pending.empty()) return !m_failedWrite;
        const int64_t count = static_cast<int64_t>(m_pending.size());
        const int64_t done = m_failedWrite ? 0 : m_file.Write(m_pending.data(), count);
        m_flushed += static_cast<uint64_t>(done);
        if (done != count && !m_failedWrite) {
            m_failedWrite = true;
            m_writeErrno = errno;
        }
        // What did not reach the file is not counted as written.
        m_written = m_flushed;
        m_pending.clear();
        return !m_failedWrite;
    }
    // Overwrites bytes already counted, gathered or in the file.
    bool Rewrite(uint64_t offset, const QByteArray& bytes) {
        if (offset >= m_flushed) {
            m_pending.replace(size_t(offset - m_flushed), size_t(bytes.size()), bytes.constData(),
                              size_t(bytes.size()));
            return true;
        }
        if (m_file.WriteAt(static_cast<int64_t>(offset), bytes.constData(), bytes.size()) ==
            bytes.size())
            return true;
        m_writeErrno = errno;
        return false;
    }
    QString WriteError() const {
        return "cannot write " + m_path + ": " + platform::ErrorText(m_writeErrno);
    }

    QString m_path;
    platform::WriteFile m_file;
    uint64_t m_written = 0;  // every byte of the archive so far, gathered or in the file
    uint64_t m_flushed = 0;  // the bytes handed to the file
    uint64_t m_headerOffset = 0;
    std::string m_pending;
    bool m_failedWrite = false;
    bool m_endedUnflushed = false;  // the last member ended is still in m_pending
    int m_writeErrno = 0;
    std::vector<zip::MemberRecord> m_members;
    MemberCoder m_coder;
};

ZipResult PackageWriter::Add(const QString& memberName, const QString& sourcePath,
                             QString* errorText, bool plainStored) {
    zip::MemberRecord m;
    platform::ReadOnlyFile source;
    if (const ZipResult opened = OpenMemberSource(memberName, sourcePath, &source, &m, errorText))
        return opened;
    if (plainStored) {
        // Stored as it is, with no extra field, whatever its name says.
        m.plain = true;
        m.method = zip::kMethodStored;
        m.flags = zip::kFlagSizesFollow;
        m.compressedSize = m.uncompressedSize;
    }
    if (const ZipResult begun = Begin(&m, errorText)) {
        FlushPending();
        return begun;
    }
    uint64_t dataBytes = 0;
    bool sinkFailed = false;
    const ZipResult copied = m_coder.Code(
        source, &m,
        [&](const char* data, int64_t count) {
            return Data(data, count, &dataBytes, nullptr) == kZipOk;
        },
        &sinkFailed, errorText);
    source.Close();
    if (copied != kZipOk) {
        FlushPending();
        return sinkFailed ? FailWith(kZipWriteFailed, errorText, WriteError()) : copied;
    }
    const ZipResult ended = End(&m, dataBytes, errorText);
    if (ended != kZipOk) {
        FlushPending();
        return ended;
    }
    return Flush(errorText);
}

ZipResult PackageWriter::Flush(QString* errorText) {
    const bool ended = m_endedUnflushed;
    m_endedUnflushed = false;
    if (FlushPending()) return kZipOk;
    // The member whose bytes did not all reach the file is not in the package.
    if (ended) m_members.pop_back();
    return FailWith(kZipWriteFailed, errorText, WriteError());
}

ZipResult PackageWriter::End(zip::MemberRecord* m, uint64_t dataBytes, QString* errorText) {
    if (m_written > zip::kMaxArchiveBytes)
        return FailWith(kZipWriteFailed, errorText,
                        "the package would reach 4 GiB, more than a package can hold");
    m->flags &= ~zip::kFlagSizesFollow;
    m->compressedSize = static_cast<uint32_t>(dataBytes);
    if (!Rewrite(m_headerOffset, zip::LocalHeader(*m)))
        return FailWith(kZipWriteFailed, errorText, WriteError());
    m_members.push_back(std::move(*m));
    m_endedUnflushed = true;
    return kZipOk;
}

ZipResult PackageWriter::Close(QString* errorText) {
    const uint64_t directoryOffset = m_written;
    bool complete = !m_failedWrite;
    uint64_t directorySize = 0;
    for (const zip::MemberRecord& m : m_members) {
        directorySize +=
            zip::kCentralHeaderSize + m.name.size() + (m.plain ? 0 : zip::kCentralExtraSize);
        if (!complete) continue;
        complete = Append(zip::CentralHeader(m));
    }
    if (complete)
        complete = Append(zip::EndRecord(static_cast<uint32_t>(m_members.size()),
                                         static_cast<uint32_t>(directorySize),
                                         static_cast<uint32_t>(directoryOffset)));
    complete = FlushPending() && complete;
    QString reason;
    if (!complete) reason = WriteError();
    if (complete && m_written > zip::kMaxArchiveBytes) {
        complete = false;
        reason = "the package would reach 4 GiB, more than a package can hold";
    }
    m_file.Close();
    return complete ? kZipOk : FailWith(kZipWriteFailed, errorText, reason);
}

PackageWriter* CreatePackage(const QString& path) {
    return CreatePackage(path, nullptr);
}

PackageWriter* CreatePackage(const QString& path, QString* errorText) {
    // The zone may have changed since the last package.
    platform::ReloadTimeZone();
    NoteZoneReloaded();
    auto* writer = new PackageWriter;
    if (const int error = writer->Create(path)) {
        delete writer;
        FailWith(kZipCannotOpen, errorText,
                 "cannot create " + path + ": " + platform::ErrorText(error));
        return nullptr;
    }
    return writer;
}

ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath) {
    return AddPackageFile(writer, memberName, sourcePath, nullptr);
}

ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath, QString* errorText) {
    if (!writer) return FailWith(kZipBadArguments, errorText, "no package is open");
    return writer->Add(memberName, sourcePath, errorText);
}

ZipResult AddPlainStoredPackageFile(PackageWriter* writer, const QString& memberName,
                                    const QString& sourcePath, QString* errorText) {
    if (!writer) return FailWith(kZipBadArguments, errorText, "no package is open");
    return writer->Add(memberName, sourcePath, errorText, true);
}

ZipResult ClosePackage(PackageWriter* writer) {
    return ClosePackage(writer, nullptr);
}

ZipResult ClosePackage(PackageWriter* writer, QString* errorText) {
    if (!writer) return FailWith(kZipBadArguments, errorText, "no package is open");
    const ZipResult result = writer->Close(errorText);
    delete writer;
    return result;
}

ZipResult BeginMember(PackageWriter* writer, zip::MemberRecord* m, QString* errorText) {
    return writer->Begin(m, errorText);
}

ZipResult AppendMemberData(PackageWriter* writer, const char* data, int64_t count,
                           uint64_t* dataBytes, QString* errorText) {
    return writer->Data(data, count, dataBytes, errorText);
}

ZipResult EndMember(PackageWriter* writer, zip::MemberRecord* m, uint64_t dataBytes,
                    QString* errorText) {
    return writer->End(m, dataBytes, errorText);
}

ZipResult FlushPackage(PackageWriter* writer, QString* errorText) {
    return writer->Flush(errorText);
}
