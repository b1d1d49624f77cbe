// Ranges in a scenario document: a line "NAME.range = low:high[:mode]" beside
// the field's own "NAME = value" line (which the scenario's reader takes and
// which the ranges leave alone).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "study/parameter_range.h"

namespace morbilex {

// The ranges of the document's ".range" lines, in their order; false with a
// reason naming the line for a range that does not read or a field ranged twice.
bool read_scenario_ranges(std::string_view text, std::vector<ParameterRange>& ranges,
                          std::string& error);

// The lines of the ranges, each ending in a newline.
std::string scenario_range_lines(const std::vector<ParameterRange>& ranges);

}  // namespace morbilex
