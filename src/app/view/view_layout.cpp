#include "app/view/view_layout.h"

namespace {
constexpr int kMargin = 10;
constexpr int kGap = 5;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 26;
constexpr int kButtonTop = 80;
constexpr int kBandTop = 113;  // top of the file list and the preview box
}  // namespace

ViewLayout ComputeViewLayout(int cx, int cy, ProgressRows rows) {
    ViewLayout l;

    // Button row under the header band.
    const int rowBottom = kButtonTop + kButtonHeight + 2;
    int left = kMargin;
    l.selectButton = RectFromEdges(left, kButtonTop, left + kButtonWidth, rowBottom);
    left += kButtonWidth + kGap;
    l.removeButton = RectFromEdges(left, kButtonTop, left + kButtonWidth, rowBottom);
    left += kButtonWidth + kGap;
    l.repairButton = RectFromEdges(left, kButtonTop, left + kButtonWidth, rowBottom);
    l.previewLabel = RectFromEdges(cx - 210, 95, cx - 120, 111);

    // Middle band: the list and the preview box share the upper half.
    const int top = kBandTop;
    const int bottom = cy / 2 + 25;
    l.fileList = RectFromEdges(kMargin, top, cx - 220, bottom);
    l.listPicture = QSize(cx - 230, bottom - top + 15);
    l.previewBox = RectFromEdges(cx - 210, top, cx - 10, bottom);

    // Destination row.
    const int r1 = bottom + kGap;
    const int r2 = r1 + kButtonHeight;
    l.destinationLabel = RectFromEdges(kMargin, r1, 300, r2);
    l.destinationEdit = RectFromEdges(305, r1 + 2, cx - 280, r2 - 2);
    l.browseButton = RectFromEdges(cx - 275, r1, cx - 225, r2);
    l.saveButton = RectFromEdges(cx - 220, r1, cx - 150, r2);
    l.extractMedia = RectFromEdges(cx - 145, r1, cx - 10, r2);

    // Log pane, shortened by the progress rows while a job runs.
    const int l1 = r2 + kGap;
    switch (rows) {
        case ProgressRows::None:
            l.logPane = RectFromEdges(kMargin, l1, cx - 10, cy - 70);
            break;
        case ProgressRows::Both: {
            const int p = cy - 105;
            l.logPane = RectFromEdges(kMargin, l1, cx - 10, p);
            l.fileProgressLabel = RectFromEdges(kMargin, p + 5, 160, p + 23);
            l.fileProgressBar = RectFromEdges(165, p + 5, cx - 10, p + 18);
            l.totalProgressLabel = RectFromEdges(kMargin, p + 28, 160, p + 46);
            l.totalProgressBar = RectFromEdges(165, p + 28, cx - 10, p + 41);
            break;
        }
        case ProgressRows::TotalOnly: {
            const int p = cy - 90;
            l.logPane = RectFromEdges(kMargin, l1, cx - 10, p);
            l.totalProgressLabel = RectFromEdges(kMargin, p + 5, 160, p + 23);
            l.totalProgressBar = RectFromEdges(165, p + 5, cx - 10, p + 18);
            break;
        }
    }

    // Bottom row and the hint pane on the footer band.
    l.stopButton = RectFromEdges(cx - 130, cy - 40, cx - 70, cy - 10);
    l.exitButton = RectFromEdges(cx - 65, cy - 40, cx - 10, cy - 10);
    l.hintPane = RectFromEdges(75, cy - 50, 385, cy - 5);
    return l;
}
