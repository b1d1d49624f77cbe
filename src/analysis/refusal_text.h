// The words a refused field or scenario is told in, by morbilex-batch and the Python module.
#pragma once

#include <string>

#include "analysis/scenario_setup.h"
#include "analysis/sweep_grid.h"

namespace morbilex {

// A single run's refused field: --NAME=TEXT refused: WHY, or for a field not
// given, that it was left as the dialog shows it.
std::string single_run_refusal_text(const ScenarioRefusal& refusal);

// A sweep's scenario: run_id N: NAME=TEXT refused: WHY, or that the run
// cannot integrate its values.
std::string scenario_refusal_text(const ScenarioRefusal& refusal);

// A refusal found while checking the values of axis before the sweep starts:
// the sweep's option when the swept field is the one refused, else the base
// scenario's option, told as a single run would tell it (with the text the
// dialog showed as "(as shown)").
std::string checked_refusal_text(const ScenarioRefusal& refusal, const SweepAxis& axis);

// A refusal found while checking a scenario file's row: the file and the row's
// line when a cell is the one refused, else as checked_refusal_text tells it.
std::string table_refusal_text(const ScenarioRefusal& refusal, const ScenarioTable& table,
                               long long row);

// A refused Off_threshold that --off-ratio=F made, told as that option's:
// OPTION refused: Off_threshold = F x On_threshold = TEXT in run_id N: WHY
std::string off_ratio_refusal_text(const ScenarioRefusal& refusal, const std::string& option);

}  // namespace morbilex
