#pragma once

#include <QString>

#include "recovery/package_completion.h"
#include "recovery/salvage/salvage_result.h"

// The completion log line of a file: what salvage and the completion step
// did, e.g. "<path> file is completed: content.xml salvaged, 41 slides kept,
// manifest rebuilt....". Empty when neither changed anything.
QString CompletedLogLine(const QString& packagePath, const SalvageResult& salvage,
                         const CompletionResult& completion);

// The red line of a file whose slides were lost.
QString SlidesLostLogLine(const QString& packagePath);

// The terminal's summary of one file: "slides kept: 41" or "slides lost".
QString SlidesSummary(const SalvageResult& salvage);
