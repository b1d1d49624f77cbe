// The fit's question: which fields to fit (a box for each field a fit can
// vary) and by what objective, before the fit runs; and how counts opened
// are read.
#pragma once

#include "explore/count_fit_command.h"

class QWidget;

namespace morbilex {

// Shows the choice given (its fields ticked, its objective chosen; the fields
// the mode cannot fit greyed out) and takes the user's: Chosen after OK,
// Cancelled after Cancel or a closed dialog.
Asked ask_fit_choice(QWidget* parent, FitChoice& choice, InterventionMode mode);

// How a counts file just chosen is read: its count column (of those it has),
// what the counts measure, the population, the reporting fraction and, for
// dates, the date of day 0. Chosen after OK, Cancelled otherwise.
Asked ask_counts_choice(QWidget* parent, CountsChoice& choice);

}  // namespace morbilex
