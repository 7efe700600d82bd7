#pragma once

#include <QString>
#include <functional>

#include "recovery/salvage/salvage_result.h"
#include "recovery/salvage/salvage_steps.h"

struct MemberRecords;

// Runs after the members of `packagePath` have been extracted into
// `workingFolder` (and only with the completion switch on). Checks every
// member against the CRC-32 and length its header or descriptor recorded,
// inflates members without sizes to the end of their stream, hands damaged
// members and unclaimed bytes to `steps`, salvages damaged XML members to a
// well-formed prefix, and leaves no .xml file that is not well-formed in the
// folder. content.xml is afterwards the member recovered whole, a salvaged
// one with at least one whole slide, or the built-in document. Everything is
// streamed; `keepRunning` ends every search at once.
SalvageResult SalvagePackage(const QString& packagePath, const QString& workingFolder,
                             const std::function<bool()>& keepRunning,
                             const SalvageSteps& steps = DefaultSalvageSteps());
// The same, with what the scan and the extraction of the package recorded
// (`records`, when given): the package is not walked again, and a file the
// extraction summed is not read again.
SalvageResult SalvagePackage(const QString& packagePath, const QString& workingFolder,
                             const std::function<bool()>& keepRunning, const MemberRecords* records,
                             const SalvageSteps& steps = DefaultSalvageSteps());
