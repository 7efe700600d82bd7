#pragma once

#include "recovery/salvage/salvage_steps.h"

// Plugs the deep searches into the salvage runner's steps: single-bit repair,
// decoding again past the damage, and the search for members whose header is
// damaged or gone.
void AddDeepSalvageSteps(SalvageSteps& steps);
