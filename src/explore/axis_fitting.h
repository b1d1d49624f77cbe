// The explorer's axes: fitted to the run, with labels at round values.
#pragma once

#include <string>
#include <vector>

#include "explore/explorer.h"
#include "model/records.h"

namespace morbilex {

// The labels of an axis from min to max: both ends and the round values
// between them (none within half a step of an end).
struct AxisLabel {
    double value;
    std::string text;
};
std::vector<AxisLabel> axis_labels(double min, double max);

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least value
// (value > 0); 1 for anything else.
double round_number_above(double value);

// Fits the axes to the run: x from 0 to T_max, y from 0 to a round number at
// or above the highest value of the compartments shown (the comparison's
// included when the view compares); on the log scale y spans whole decades
// from the lowest value above zero shown (at most five below the top) to the
// highest. The scale stays as it was when there is no run
// or the fitted ranges could not be drawn. Returns true when it changed.
bool fit_axes(Records& records, const Explorer& explorer);

}  // namespace morbilex
