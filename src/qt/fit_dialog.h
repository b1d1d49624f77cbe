// The fit's question: which fields to fit (a box for each field a fit can
// vary) and by what objective, before the fit runs.
#pragma once

#include "explore/count_fit_command.h"

class QWidget;

namespace morbilex {

// Shows the choice given (its fields ticked, its objective chosen; the fields
// the mode cannot fit greyed out) and takes the user's: Chosen after OK,
// Cancelled after Cancel or a closed dialog.
Asked ask_fit_choice(QWidget* parent, FitChoice& choice, InterventionMode mode);

}  // namespace morbilex
