#include "cli/row_sequencer.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/held_job_view.h"
#include "cli/terminal_job_view.h"

namespace {

// How far the workers may run ahead of the printed rows. What a finished
// row holds is only its log, but the lines of a long run behind one slow
// file would otherwise all wait in memory.
constexpr int kRowsAhead = 1024;

// How often the head row's members' progress is brought up to date.
constexpr auto kProgressLook = std::chrono::milliseconds(100);

}  // namespace

int WorkersFor(int jobs, int rows) {
    return std::max(1, std::min(jobs, rows));
}

RowSequencer::RowSequencer(TerminalJobView* out, int workers)
    : m_out(out), m_workers(std::max(1, workers)) {}

int RowSequencer::Run(const Row& row) {
    const int count = m_out->FileRowCount();
    const QStringList packages = [this, count] {
        QStringList list;
        for (int r = 0; r < count; ++r) list << m_out->FileRowText(r);
        return list;
    }();
    const QString destination = m_out->DestinationText();
    const bool extractMedia = m_out->IsExtractMediaChecked();

    HeldViewMailbox mailbox;
    // Guarded by the mailbox's lock.
    std::vector<std::unique_ptr<HeldJobView>> views(static_cast<size_t>(count));
    std::vector<char> done(static_cast<size_t>(count), 0);
    int next = 0;  // the next row to start
    int firstUnstarted = count;
    bool taking = true;  // false once `take` refused or every row is started
    int head = 0;        // the next row to print
    int working = 0;     // workers still taking rows
    int rowsAhead = kRowsAhead;

    const auto workLoop = [&] {
        std::unique_lock<std::mutex> lock(mailbox.lock);
        for (;;) {
            mailbox.news.wait(lock, [&] { return !taking || next - head < rowsAhead; });
            if (!taking) break;
            const int r = next;
            if (r >= count || !row.take(r)) {
                taking = false;
                firstUnstarted = r;
                break;
            }
            ++next;
            views[size_t(r)] =
                std::make_unique<HeldJobView>(&packages, r, destination, extractMedia, &mailbox);
            HeldJobView* view = views[size_t(r)].get();
            lock.unlock();
            row.work(r, view);
            // Only the lines wait to be printed; the entry table goes now.
            view->ClearEntries();
            lock.lock();
            done[size_t(r)] = 1;
            mailbox.news.notify_all();
        }
        --working;
        mailbox.news.notify_all();
    };

    std::vector<std::thread> threads;
    for (int i = 0; i < m_workers; ++i) {
        {
            std::lock_guard<std::mutex> guard(mailbox.lock);
            ++working;
        }
        try {
            threads.emplace_back(workLoop);
        } catch (const std::system_error&) {
            std::lock_guard<std::mutex> guard(mailbox.lock);
            --working;
            break;
        }
    }
    // No thread at all: the rows run here, one after another, printed at the end.
    if (threads.empty()) {
        {
            std::lock_guard<std::mutex> guard(mailbox.lock);
            ++working;
            rowsAhead = count + 1;  // nobody prints while the rows run
        }
        workLoop();
    }

    std::unique_lock<std::mutex> lock(mailbox.lock);
    for (;;) {
        mailbox.news.wait_for(lock, kProgressLook, [&] {
            return (head < next && (views[size_t(head)]->HasNews() || done[size_t(head)])) ||
                   (head >= next && working == 0);
        });
        if (head >= next) {
            if (working == 0) break;
            continue;
        }
        HeldJobView* view = views[size_t(head)].get();
        const bool finished = done[size_t(head)] != 0;
        const HeldJobView::Held held = view->Take();
        lock.unlock();
        held.PassOn(m_out);
        if (finished) {
            if (row.printed) row.printed(head);
            m_out->SetProgressPos(ProgressBar::Total, head + 1);
        }
        lock.lock();
        if (finished) {
            views[size_t(head)].reset();
            ++head;
            mailbox.news.notify_all();  // a worker may be waiting for room ahead
        }
    }
    lock.unlock();
    for (std::thread& thread : threads) thread.join();
    return firstUnstarted;
}
