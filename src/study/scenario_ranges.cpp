#include "study/scenario_ranges.h"

#include "text/shortest.h"

namespace morbilex {
namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

constexpr std::string_view RANGE_SUFFIX = ".range";

}  // namespace

bool read_scenario_ranges(std::string_view text, std::vector<ParameterRange>& ranges,
                          std::string& error) {
    ranges.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        const std::string_view content = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t equals = content.find('=');
        if (content.empty() || content[0] == '#' || equals == std::string_view::npos) continue;
        const std::string_view name = trimmed(content.substr(0, equals));
        if (!name.ends_with(RANGE_SUFFIX)) continue;
        const std::string field(name.substr(0, name.size() - RANGE_SUFFIX.size()));
        const std::string at = "line " + std::to_string(line);
        ParameterRange range;
        if (!parse_parameter_range(field + "=" + std::string(trimmed(content.substr(equals + 1))),
                                   at, range, error)) {
            return false;
        }
        for (const ParameterRange& earlier : ranges) {
            if (earlier.name == range.name) {
                error = at + ": " + range.name + " has a range already";
                return false;
            }
        }
        ranges.push_back(std::move(range));
    }
    return true;
}

std::string scenario_range_lines(const std::vector<ParameterRange>& ranges) {
    std::string lines;
    for (const ParameterRange& range : ranges) {
        const std::string text = parameter_range_text(range);
        lines += range.name + std::string(RANGE_SUFFIX) + " = " +
                 text.substr(range.name.size() + 1) + "\n";
    }
    return lines;
}

}  // namespace morbilex
