#pragma once

#include <QRect>
#include <QSize>

// Which progress rows are showing below the log pane.
enum class ProgressRows {
    None,       // no job runs
    Both,       // the Repair job: file and total rows
    TotalOnly,  // the Save job: the total row only
};

// Where every control of the main view goes for a client area of cx x cy pixels.
// Rectangles are made from their left, top, right and bottom edges; the progress
// rows stay empty when they are not showing.
struct ViewLayout {
    QRect selectButton, removeButton, repairButton;
    QRect previewLabel;
    QRect fileList, previewBox;
    QSize listPicture;  // the file list's background picture is scaled to this
    QRect destinationLabel, destinationEdit, browseButton, saveButton, extractMedia;
    QRect logPane;
    QRect fileProgressLabel, fileProgressBar, totalProgressLabel, totalProgressBar;
    QRect stopButton, exitButton;
    QRect hintPane;
};

ViewLayout ComputeViewLayout(int cx, int cy, ProgressRows rows);

// A rectangle from its four edges, right and bottom exclusive.
inline QRect RectFromEdges(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}
