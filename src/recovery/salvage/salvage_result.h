#pragma once

#include <QStringList>

// What salvage did for one repaired package; the completion log line and
// the terminal's summary are built from it.
struct SalvageResult {
    enum class Slides {
        NotChecked,  // salvage did not run (the completion switch is off)
        Whole,       // content.xml was recovered whole
        Salvaged,    // content.xml was damaged; what could stand of it was kept
        Lost,        // no slide of it could be kept: the built-in document stands in
    };
    Slides slides = Slides::NotChecked;
    int slidesKept = 0;           // Whole and Salvaged
    int slidesFromLaterRuns = 0;  // of those, slides found past the damage

    QStringList toStreamEnd;         // members without sizes inflated to the end of their stream
    QStringList putRight;            // one flipped bit corrected, CRC-32 confirmed
    QStringList foundWithoutHeader;  // members whose local header was damaged or gone
    QStringList salvaged;            // damaged XML members cut back to a well-formed prefix
    QStringList leftOut;  // XML members that were not well-formed and could not be salvaged

    bool Changed() const {
        return !toStreamEnd.isEmpty() || !putRight.isEmpty() || !foundWithoutHeader.isEmpty() ||
               !salvaged.isEmpty() || !leftOut.isEmpty() || slides == Slides::Lost;
    }
};
