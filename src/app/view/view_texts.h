#pragma once

#include <QString>
#include <vector>

#include "recovery/job_view.h"

// Texts the view shows in more than one moment of its life.
inline const QString kStartLogText =
    QStringLiteral("Click Select files to select .odp file(s) to repair....");
inline const QString kStartHintText = QStringLiteral(
    "Click Select files to select .odp file(s) to repair.\n"
    "Click Repair files to see the preview of the .odp file(s).");
// At start-up; the list emptied by Remove files also makes "Repair files" bold.
inline const std::vector<HintRange> kStartHintRanges = {{6, 18}, {29, 33}, {59, 72}, {99, 103}};
inline const std::vector<HintRange> kEmptiedListHintRanges = {
    {6, 18}, {29, 33}, {59, 72}, {83, 91}, {99, 103}};
