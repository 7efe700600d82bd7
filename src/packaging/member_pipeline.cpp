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
// Pieces are gathered up to this size before the writer takes them.
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

    void Help();
    bool Push(Job* job, const char* data, int64_t count);
};

bool MemberPipeline::Shared::Push(Job* job, const char* data, int64_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] {
        if (cancelled || ending) return true;
        if (!jobs.empty() && jobs.front().get() == job) return job->held < kHeadBudget;
        return held + size_t(count) <= kAheadBudget;
    });
    if (cancelled || ending) return false;
    if (!job->pieces.empty() && job->pieces.back().size() + size_t(count) <= kPieceBytes)
        job->pieces.back().append(data, size_t(count));
    else
        job->pieces.emplace_back(data, size_t(count));
    job->held += size_t(count);
    held += size_t(count);
    changed.notify_all();
    return true;
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
        bool sinkFailed = false;
        const ZipResult coded = coder.Code(
            source, &record,
            [this, job](const char* data, int64_t count) { return Push(job, data, count); },
            &sinkFailed, &reason);
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
