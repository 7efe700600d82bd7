#include "recovery/salvage/salvage_steps.h"

SalvageSteps DefaultSalvageSteps() {
    SalvageSteps steps;
    // steps.repairBit, steps.resync and steps.findOrphans are set here once
    // their searches exist.
    return steps;
}
