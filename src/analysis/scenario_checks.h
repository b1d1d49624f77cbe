// A sweep's scenarios checked before it starts, for every front end that sweeps.
#pragma once

#include <string>

#include "analysis/sweep_grid.h"

namespace morbilex {

// A dialog refuses a field for its own value only, so every value of each
// axis (the ends of a range) set up once with the others' first values
// finds any refusal before the sweep starts. False with the refusal's words;
// an Off_threshold made by the off ratio is told as off_ratio_option's.
bool check_scenarios(const SweepPlan& plan, const std::string& off_ratio_option,
                     std::string& error);

// Values of a swept T_max that all reach the longest run make the same
// scenarios: the words telling them, or "" when no two do.
std::string repeated_scenarios_text(const SweepGrid& grid);

}  // namespace morbilex
