#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "packaging/package_writer.h"
#include "packaging/zip_records.h"

// Compresses the members of one package on helper threads while the calling
// thread writes them into the package, strictly in the order they were
// added. The package's bytes are exactly those AddPackageFile gives for the
// same members one after another: each member is still one Deflate stream
// from one compressor; only who compresses it, and when, differs. Memory
// stays bounded: compressed bytes wait in memory only up to a fixed budget,
// and the member being written is drained as it is compressed.
class MemberPipeline {
public:
    // Called on the calling thread, once per member in order, when the member
    // is in the package or has failed (with the writer's result and reason).
    using Done =
        std::function<void(const QString& memberName, ZipResult result, const QString& reason)>;

    MemberPipeline(PackageWriter* writer, int helperThreads, Done done);
    ~MemberPipeline();  // drops what is not written yet and ends the helpers
    MemberPipeline(const MemberPipeline&) = delete;
    MemberPipeline& operator=(const MemberPipeline&) = delete;

    // Queues one member and writes whatever is ready, without waiting.
    void Add(const QString& memberName, const QString& sourcePath);
    // Writes every queued member; returns once all are done or it was cancelled.
    void Finish();
    // No further member is written (those queued are dropped unreported).
    void Cancel();

    // How many helpers a package gets on this machine: one per core, up to
    // four; none on a single core, where the caller compresses as it writes.
    static int DefaultHelperThreads();

private:
    struct Shared;
    // How far the member at the front of the queue has been written.
    struct Front {
        bool begun = false;    // its provisional header has been tried
        bool writing = false;  // its bytes go into the package
        zip::MemberRecord record;
        uint64_t dataBytes = 0;
        ZipResult result = kZipOk;
        QString reason;
        ZipResult codeResult = kZipOk;  // how reading and compressing went
        QString codeReason;
    };

    void Pump(bool wait);
    std::unique_ptr<Shared> m_shared;
    Front m_front;
    PackageWriter* m_writer;
    Done m_done;
};
