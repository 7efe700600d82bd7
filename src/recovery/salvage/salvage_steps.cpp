#include "recovery/salvage/salvage_steps.h"

#include "recovery/salvage/deep_steps.h"

SalvageSteps DefaultSalvageSteps() {
    SalvageSteps steps;
    AddDeepSalvageSteps(steps);
    return steps;
}
