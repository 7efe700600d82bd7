#include "packaging/member_pipeline.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "packaging/member_source.h"
#include "packaging/package_writer_steps.h"

namespace {

// Compressed bytes held for members that are not being written yet.
constexpr size_t kAheadBudget = size_t(32) << 20;
// Compressed bytes of the member being written that wait for the writer.
constexpr size_t kHeadBudget = size_t(4) << 20;
// A helper gathers a member's compressed bytes into pieces of this size
// before the writer takes them.
constexpr size_t kPieceBytes = size_t(256) << 10;

struct Job {
    QString name;
    QString path;
    // Set by the helper that compresses it.
    bool opened = false;
    bool done = false;
    ZipResult openResult = kZipOk;
    ZipResult codeResult = kZipOk;
    QString reason;
    zip::MemberRecord record;  // provisional once opened, with CRC and size once done
    std::deque<std::string> pieces;
    size_t held = 0;
};

}  // namespace

struct MemberPipeline::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<Job>> jobs;  // jobs.front() is being written
    size_t claimed = 0;                     // jobs (counted from the front) taken by a helper
    size_t held = 0;                        // compressed bytes waiting, all jobs
    bool cancelled = false;
    bool ending = false;
    std::vector<std::thread> helpers;
    // Piece buffers the writer is done with, for the helpers to fill again,
    // so the big buffers are not mapped and unmapped for every piece.
    std::vector<std::string> spare;

    void Help();
    // Hands a piece of a member's compressed bytes to the writer, waiting
    // while the budget is spent; false once nothing more is to be written.
    // `next` gets an empty buffer to gather the following piece in.
    bool Push(Job* job, std::string&& piece, std::string* next);
    void Recycle(std::deque<std::string>* pieces);
};

bool MemberPipeline::Shared::Push(Job* job, std::string&& piece, std::string* next) {
    const size_t count = piece.size();
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] {
        if (cancelled || ending) return true;
        if (!jobs.empty() && jobs.front().get() == job) return job->held < kHeadBudget;
        return held + count <= kAheadBudget;
    });
    if (cancelled || ending) return false;
    job->pieces.push_back(std::move(piece));
    job->held += count;
    held += count;
    if (!spare.empty()) {
        next->swap(spare.back());
        spare.pop_back();
    }
    changed.notify_all();
    return true;
}

void MemberPipeline::Shared::Recycle(std::deque<std::string>* pieces) {
    constexpr size_t kMaxSpare = 16;
    std::lock_guard<std::mutex> lock(mutex);
    for (std::string& piece : *pieces) {
        if (spare.size() >= kMaxSpare) break;
        piece.clear();
        spare.push_back(std::move(piece));
    }
    pieces->clear();
}

void MemberPipeline::Shared::Help() {
    MemberCoder coder;
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex);
            // The next member is taken when it is the one being written, or
            // while the budget for members further ahead is not spent.
            changed.wait(lock, [&] {
                return cancelled || ending ||
                       (claimed < jobs.size() && (claimed == 0 || held < kAheadBudget));
            });
            if (cancelled || ending) return;
            job = jobs[claimed].get();
            ++claimed;
        }
        zip::MemberRecord record;
        platform::ReadOnlyFile source;
        QString reason;
        const ZipResult opened = OpenMemberSource(job->name, job->path, &source, &record, &reason);
        {
            std::lock_guard<std::mutex> lock(mutex);
            job->opened = true;
            job->openResult = opened;
            job->record = record;
            if (opened != kZipOk) {
                job->reason = reason;
                job->done = true;
            }
            changed.notify_all();
        }
        if (opened != kZipOk) continue;
        // The coder's output is gathered here and handed over a piece at a
        // time: one lock and one wake-up per piece rather than per buffer.
        std::string piece;
        piece.reserve(kPieceBytes);
        const auto handOver = [&] {
            std::string full;
            full.swap(piece);
            const bool taken = Push(job, std::move(full), &piece);
            piece.reserve(kPieceBytes);
            return taken;
        };
        bool sinkFailed = false;
        ZipResult coded = coder.Code(
            source, &record,
            [&](const char* data, int64_t count) {
                piece.append(data, size_t(count));
                return piece.size() < kPieceBytes || handOver();
            },
            &sinkFailed, &reason);
        if (coded == kZipOk && !piece.empty() && !handOver()) coded = kZipWriteFailed;
        std::lock_guard<std::mutex> lock(mutex);
        job->done = true;
        job->codeResult = coded;
        job->reason = reason;
        job->record.crc = record.crc;
        job->record.uncompressedSize = record.uncompressedSize;
        changed.notify_all();
    }
}

MemberPipeline::MemberPipeline(PackageWriter* writer, int helperThreads, Done done)
    : m_shared(new Shared), m_writer(writer), m_done(std::move(done)) {
    for (int i = 0; i < std::max(1, helperThreads); ++i)
        m_shared->helpers.emplace_back([shared = m_shared.get()] { shared->Help(); });
}

MemberPipeline::~MemberPipeline() {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->ending = true;
        m_shared->changed.notify_all();
    }
    for (std::thread& helper : m_shared->helpers) helper.join();
}

int MemberPipeline::DefaultHelperThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores <= 1 ? 0 : int(std::min(cores, 4u));
}

void MemberPipeline::Add(const QString& memberName, const QString& sourcePath) {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->cancelled) return;
        auto job = std::make_unique<Job>();
        job->name = memberName;
        job->path = sourcePath;
        m_shared->jobs.push_back(std::move(job));
        m_shared->changed.notify_all();
    }
    Pump(false);
}

void MemberPipeline::Finish() {
    Pump(true);
}

void MemberPipeline::Cancel() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->cancelled = true;
    m_shared->changed.notify_all();
}

// Writes the front member as far as its pieces have come, and the members
// after it as they are ready; with `wait`, until every queued member is done.
void MemberPipeline::Pump(bool wait) {
    Shared& s = *m_shared;
    for (;;) {
        Front& f = m_front;
        Job* job = nullptr;
        std::deque<std::string> pieces;
        bool done = false;
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            if (s.cancelled || s.jobs.empty()) return;
            job = s.jobs.front().get();
            if (wait)
                s.changed.wait(lock, [&] {
                    return s.cancelled || job->done || !job->pieces.empty() ||
                           (job->opened && !f.begun);
                });
            if (s.cancelled || !job->opened) return;
            if (!f.begun) {
                f.record = job->record;
                f.result = job->openResult;
                if (f.result != kZipOk) f.reason = job->reason;
            }
            pieces.swap(job->pieces);
            s.held -= job->held;
            job->held = 0;
            done = job->done;
            if (done) {
                f.codeResult = job->codeResult;
                f.codeReason = job->reason;
                f.record.crc = job->record.crc;
                f.record.uncompressedSize = job->record.uncompressedSize;
            }
            s.changed.notify_all();
        }

        if (!f.begun) {
            f.begun = true;
            if (f.result == kZipOk) {
                f.result = BeginMember(m_writer, &f.record, &f.reason);
                f.writing = f.result == kZipOk;
                if (!f.writing) FlushPackage(m_writer, nullptr);
            }
        }
        // A member whose write failed still takes its pieces, so that its
        // helper is never left waiting; they go nowhere.
        for (const std::string& piece : pieces) {
            if (!f.writing) break;
            if (AppendMemberData(m_writer, piece.data(), int64_t(piece.size()), &f.dataBytes,
                                 &f.reason) != kZipOk) {
                f.result = kZipWriteFailed;
                f.writing = false;
                FlushPackage(m_writer, nullptr);
            }
        }
        if (!pieces.empty()) s.Recycle(&pieces);
        if (!done) {
            if (!wait) return;
            continue;
        }

        if (f.writing && f.codeResult != kZipOk) {
            f.result = f.codeResult;
            f.reason = f.codeReason;
        }
        if (f.writing && f.result == kZipOk) {
            f.result = EndMember(m_writer, &f.record, f.dataBytes, &f.reason);
            if (f.result == kZipOk)
                f.result = FlushPackage(m_writer, &f.reason);
            else
                FlushPackage(m_writer, nullptr);
        } else if (f.writing) {
            // Reading or compressing failed after the provisional header.
            FlushPackage(m_writer, nullptr);
        }
        const QString name = job->name;
        const ZipResult result = f.result;
        const QString reason = f.reason;
        m_front = Front();
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.jobs.pop_front();
            --s.claimed;
            s.changed.notify_all();
        }
        m_done(name, result, reason);
    }
}
