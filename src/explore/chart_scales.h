// The explorer chart's scales beyond the classic one: persons on a
// logarithmic axis, and the effective reproduction number on its own axis at
// the right.
#pragma once

#include <vector>

#include "explore/axis_fitting.h"
#include "explore/explorer.h"
#include "model/records.h"

namespace morbilex {

// Persons as the chart places them: linearly from ymin to ymax, or, with the
// log scale and 0 < ymin < ymax, by their logarithm over the same frame.
struct PersonsAxis {
    bool log = false;
    double min = 0.0, max = 100.0;
    // The linear value (persons of the frame's scale) where value stands;
    // NaN for a value the log scale cannot show (0 or less).
    double place(double value) const;
};
PersonsAxis persons_axis(const AxisScale& scale, const ViewOptions& view);
// The labels of the persons axis: those of axis_labels, or on the log scale
// the powers of ten (with 2 and 5 times them over at most two decades) and
// both ends.
std::vector<AxisLabel> persons_labels(const PersonsAxis& axis);

// R_t = R_0 x S / N x (1 - the reduction in force) at each step shown of the
// records' run (N the population base, the reduction that of the mode's
// plan at the step); empty before a run.
std::vector<double> effective_reproduction(const Records& records, const Explorer& explorer);
// The first step at which R_t has fallen from above 1 to 1 or below; -1 when
// it never does.
int step_r_falls_to_one(const std::vector<double>& r);
// The top of the right-hand axis: a round number at or above the highest R_t
// and 1 (the axis starts at 0).
double effective_r_axis_top(const std::vector<double>& r);

// The read-out's and the figures' line of R_t: "R_t 1.23" at the step, and
// "R_t falls below 1 on day 52.25" (or "R_t stays above 1" / "below 1").
std::string effective_r_text(const std::vector<double>& r, int step);
std::string effective_r_crossing_text(const std::vector<double>& r, double dt);

// The compartments' colours of the view: those given, or the palette told
// apart with any colour vision (blue, orange, vermilion, bluish green); the
// colour of the R_t curve.
SeriesColours view_colours(const ViewOptions& view, const SeriesColours& colours);
Colour effective_r_colour(const ViewOptions& view);
// Whether compartment k's curve is dashed (E and R in that palette).
bool dashed_curve(const ViewOptions& view, int k);

}  // namespace morbilex
