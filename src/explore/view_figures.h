// The figures as the explorer view shows them: the run's figures and, while
// R_t is shown, the day it falls to 1. Every program's table, the figures
// beside a picture or a print, and the copied figures take these lines.
#pragma once

#include <string>
#include <vector>

#include "explore/explorer.h"
#include "explore/figures.h"
#include "model/records.h"

namespace morbilex {

// The line of R_t: from which day it is 1 or below ("52.25 days"; "never"
// while it stays above 1; day 0 when it starts there), one step of dt a row.
FigureLine effective_r_figure_line(const std::vector<double>& r, double dt);

// figure_lines of the explorer's figures, with R_t's line after them when
// the view shows R_t; none before a run.
std::vector<FigureLine> view_figure_lines(const Records& records, const Explorer& explorer);

}  // namespace morbilex
