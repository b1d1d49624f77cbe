#include "explore/kept_ranges.h"

#include "explore/view_commands.h"

namespace morbilex {
namespace {

constexpr const char* RANGES_CAPTION = "Ranges";

bool ranges_of_lines(const Records& records, std::vector<ParameterRange>& ranges,
                     std::string& reason) {
    ranges.clear();
    for (const auto& [name, text] : records.range_lines) {
        ParameterRange range;
        const std::string line = name + ".range = " + text;
        if (!parse_parameter_range(name + "=" + text, line, range, reason)) return false;
        for (const ParameterRange& earlier : ranges) {
            if (earlier.name == range.name) {
                reason = line + ": " + name + " has a range already";
                return false;
            }
        }
        ranges.push_back(std::move(range));
    }
    return true;
}

}  // namespace

void keep_ranges(const ExplorerRanges& ranges, Records& records) {
    ExplorerRanges written;
    std::string reason;
    if (ranges_of_lines(records, written.ranges, reason) && written.text() == ranges.text()) return;
    records.range_lines.clear();
    for (const ParameterRange& range : ranges.ranges) {
        records.range_lines.emplace_back(range.name,
                                         parameter_range_text(range).substr(range.name.size() + 1));
    }
}

bool take_kept_ranges(const Records& records, ExplorerRanges& ranges, std::string& reason) {
    std::vector<ParameterRange> read;
    if (!ranges_of_lines(records, read, reason)) return false;
    ranges.ranges = std::move(read);
    return true;
}

void follow_scenario_ranges(ExplorerContext& context) {
    ExplorerRanges& ranges = context.explorer.uncertainty.ranges;
    std::string reason;
    if (take_kept_ranges(context.commands.records, ranges, reason)) return;
    ranges.ranges.clear();
    context.commands.front_end.show_file_message(
        RANGES_CAPTION, "The scenario's ranges were not taken: " + reason, true);
}

}  // namespace morbilex
