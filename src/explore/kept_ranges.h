// The explorer's ranges kept with the scenario: written into the records'
// range lines before a scenario or the remembered settings are saved, and
// taken from them once a scenario or the settings are read.
#pragma once

#include <string>

#include "explore/uncertainty.h"
#include "model/records.h"

namespace morbilex {

struct ExplorerContext;

// The records' range lines become the ranges (lines that give the same
// ranges stay as they are written).
void keep_ranges(const ExplorerRanges& ranges, Records& records);
// The ranges of the records' lines, all or nothing: false with a reason that
// names the field, the ranges left as they were.
bool take_kept_ranges(const Records& records, ExplorerRanges& ranges, std::string& reason);
// After a scenario was opened: its ranges (none when it has none) replace the
// explorer's; a range that does not read is told through the front end and
// leaves the explorer without ranges.
void follow_scenario_ranges(ExplorerContext& context);

}  // namespace morbilex
