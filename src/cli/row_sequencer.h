#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class HeldJobView;
class TerminalJobView;

// Runs the rows of one job on several worker threads and prints what each
// row's view was told in row order, as one worker running the rows one after
// another would print it: a row's lines wait until every row before it is
// out. The row at the head of the order is printed as it goes.
class RowSequencer {
public:
    struct Row {
        // Asked in row order before a row is started, with no other row
        // being started at the same time; false starts neither this row nor
        // any after it.
        std::function<bool(int row)> take;
        // Does the row's work on a worker thread, telling `view` what it would
        // tell the terminal.
        std::function<void(int row, HeldJobView* view)> work;
        // On the printing thread, once the row's lines are out. May be empty.
        std::function<void(int row)> printed;
    };

    // `out` is the terminal view; its rows are the run's rows.
    RowSequencer(TerminalJobView* out, int workers);

    // Runs the rows of `out` and returns the first one that was not started
    // (the row count when every row was). Returns when every started row is
    // done and printed; the files' bar counts the rows printed.
    int Run(const Row& row);

private:
    TerminalJobView* m_out;
    int m_workers;
};

// How many rows a run with -j `jobs` works on at once: never more than the
// rows, at least one.
int WorkersFor(int jobs, int rows);
