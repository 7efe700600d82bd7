#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <utility>

// The files of a drop, sorted into those the file list takes and those it
// leaves out, with the reason for each.
struct DropSorting {
    QStringList taken;                           // local paths, in drop order
    QList<std::pair<QString, QString>> leftOut;  // what was dropped, and why not

    // One line for the status bar: how many were added and, by name, what was
    // left out and why. Empty when nothing was dropped.
    QString Report() const;
};

// A local file whose name has ".odp" in it, in any case, is taken ("REPORT.ODP",
// "talk.odp.bak"); a remote address, a folder or another kind of file is not.
DropSorting SortDroppedUrls(const QList<QUrl>& urls);
