// The explorer's plan commands: T_max extended until the epidemic ends, and
// the search for a plan under the capacity, whose result every front end
// shows (the best plan to load, the front as a chart whose points load
// their plans), all drawn through the Surface.
#pragma once

#include <string>
#include <vector>

#include "chart/surface.h"
#include "model/records.h"
#include "study/plan_search.h"

namespace morbilex {

// The longest a run may be extended to, in days.
inline constexpr double LONGEST_EXTENDED_T_MAX = 10000.0;

// What "extend T_max until it ends" did.
struct Extension {
    bool extended = false;  // T_max (n_steps) changed
    bool ended = false;     // the run of the new T_max is over
    double T_max = 0.0;     // days
};
// The first whole day from T_max on, up to LONGEST_EXTENDED_T_MAX days (and
// the steps a run can take), at which the run of the records' mode has ended
// (E + I at most 1 person); the records' n_steps becomes its steps, or the
// longest when none ends. Nothing changes for a run that has ended already.
Extension extend_until_ended(Records& records);
// "T_max extended to 412 days: the epidemic is over" and the like.
std::string extension_text(const Extension& extension);

// A finished search: what it searched and what it found.
struct PlanFinding {
    PlanKind kind = PlanKind::OneTime;
    CapacitySetting capacity;
    PlanSearchResult result;
    // The plan of the front marked on it, the one last loaded or chosen; -1: none.
    int marked = -1;
};

// Searches the default space of the records' kind of plan (intermittent in
// mode 2, one-time otherwise) against the records' capacity; false with a
// reason when no capacity is set or the model cannot run.
bool find_plan_for(const Records& records, PlanFinding& finding, std::string& reason);

// The lines that tell the finding: the best plan (or that none meets the
// limit, and the closest), its days, switches and peak.
std::vector<std::string> plan_finding_lines(const PlanFinding& finding);
// One plan told in a line ("On 265, Off 255, reduction 0.9").
std::string plan_text(PlanKind kind, const PlanValues& plan);

// Puts the plan into the records (its fields and mode); the caller runs it.
void load_plan(Records& records, PlanKind kind, const PlanOutcome& outcome);

// The front as a chart of width by height device units: days under
// reduction across, peak up, the capacity as a line, the best plan in red
// and a square round the marked one.
void paint_plan_front(Surface& surface, const PlanFinding& finding, int width, int height);
// The plan of the front nearest the device point, within a few units; -1.
int front_point_at(const PlanFinding& finding, int width, int height, int x, int y);

}  // namespace morbilex
