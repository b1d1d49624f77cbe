// The explorer's fit to observed counts: the counts the scenario links, the
// fields it names to fit (R_0 and the infectious period when it names none),
// the fitted values typed into the dialogs and run, and the result shown.
#pragma once

#include <string>

#include "explore/view_commands.h"
#include "study/count_fit.h"

namespace morbilex {

inline constexpr const char* FIT_COUNTS_CAPTION = "Fit to Observed Counts";

// The fields, their 95 % intervals, the objective, the RMSE and what the
// fitted run says comes next, a line each.
std::string fit_result_text(const CountFit& fit, FitObjective objective);

// Fits, loads the fitted values into the records as typed into their dialogs,
// runs and tells the result (or why there is none) through the front end.
void fit_observed_counts(ExplorerContext& context);

}  // namespace morbilex
