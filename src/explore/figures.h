// The figures of the run on screen, as morbilex-batch --summary gives them,
// and after an intervention the figures of the same parameters without one
// beside them, with the difference.
#pragma once

#include <string>
#include <vector>

#include "analysis/capacity.h"
#include "analysis/care_layer.h"
#include "analysis/run_summary.h"
#include "model/records.h"

namespace morbilex {

struct ViewFigures {
    bool available = false;  // false before the first run or for inputs no run can integrate
    InterventionMode mode = MODE_NO_INTERVENTION;
    SummaryRow run;
    bool has_baseline = false;  // an intervention run: the no-intervention figures beside it
    SummaryRow baseline;
    bool has_care = false;  // the care layer is on: its columns of both runs
    CareSummaryRow care;
    CareSummaryRow baseline_care;
    // The run against the records' capacity, when one is set.
    bool has_capacity = false;
    CapacitySetting capacity_setting;
    CapacityFigures capacity;
    CapacityRow capacity_row;  // as morbilex-batch --capacity writes them
    // How the run ends: still running at T_max (end_day), the final size and
    // attack rate then not final; an intermittent plan with Off >= On.
    bool still_running = false;
    double end_day = 0.0;
    bool off_not_below_on = false;
};

// Fills in how the run of the inputs ends, from its summary row.
void note_run_ending(ViewFigures& figures, const ScenarioInputs& inputs);

// The notes beside the figures, a line each: a run still running at T_max,
// an intermittent plan with Off >= On (the wording of every front end).
std::vector<std::string> figure_notes(const ViewFigures& figures);

// The figures of the records' run in records.mode (the same integration and
// summary as morbilex-batch --summary) and, for modes 1 and 2, of mode 0.
ViewFigures compute_view_figures(const Records& records);

// One line of the figures: its name as in the summary, a readable label, the
// value with its unit, the no-intervention value and the difference (both
// empty without a baseline or where no difference is told).
struct FigureLine {
    const char* name;
    const char* label;
    std::string value;
    std::string baseline;
    std::string difference;
    bool not_final = false;  // a final size of a run still running at T_max
};
std::vector<FigureLine> figure_lines(const ViewFigures& figures);

// The value of one summary column as --summary prints it, with its unit:
// "1234.57 persons", "0.6000", "3"; empty for an empty value.
std::string summary_value_text(const SummaryRow& row, int column);

// "peak -57 %, 38 days later": the change of the infectious peak from the
// no-intervention run; empty without a baseline.
std::string peak_change_text(const ViewFigures& figures);

// The figures as tab-separated text with a header line: figure, value, unit,
// and with a baseline no_intervention and difference.
std::string figures_tab_text(const ViewFigures& figures);
// The same of the lines given (figure_lines and what the view adds to them).
std::string figures_tab_text(const ViewFigures& figures, const std::vector<FigureLine>& lines);

}  // namespace morbilex
