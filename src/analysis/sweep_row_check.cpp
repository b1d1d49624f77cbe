#include "analysis/sweep_row_check.h"

#include <algorithm>

#include "text/whole_number.h"

namespace morbilex {
namespace {

constexpr std::string_view JSON_RUN_ID = "{\"run_id\":";

// Moves past the JSON string that opens at `at`; false if it never closes.
bool skip_json_string(std::string_view line, std::size_t& at) {
    for (++at; at < line.size(); ++at) {
        if (line[at] == '\\') {
            ++at;
        } else if (line[at] == '"') {
            ++at;
            return true;
        }
    }
    return false;
}

}  // namespace

bool json_number(std::string_view text) {
    std::size_t at = 0;
    const auto digits = [&] {
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        return at - start;
    };
    if (at < text.size() && text[at] == '-') ++at;
    const std::size_t start = at;
    const std::size_t whole = digits();
    if (whole == 0 || (whole > 1 && text[start] == '0')) return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (digits() == 0) return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (digits() == 0) return false;
    }
    return at == text.size();
}

bool row_run_id(std::string_view line, bool json, long long& run_id) {
    if (json) {
        if (line.substr(0, JSON_RUN_ID.size()) != JSON_RUN_ID) return false;
        line.remove_prefix(JSON_RUN_ID.size());
    }
    return read_leading_whole_number(line, run_id) > 0 && run_id >= 1;
}

bool json_row_keys(std::string_view line, std::string& keys) {
    keys.clear();
    if (line.size() < 2 || line[0] != '{') return false;
    if (line == "{}") return true;
    for (std::size_t at = 1;;) {
        const std::size_t open = at;
        if (at >= line.size() || line[at] != '"' || !skip_json_string(line, at)) return false;
        if (at >= line.size() || line[at] != ':') return false;
        keys.append(line.substr(open, ++at - open));
        if (at < line.size() && line[at] == '"') {
            if (!skip_json_string(line, at)) return false;
        } else {
            const std::size_t value = at;
            at = std::min(line.find_first_of(",}", at), line.size());
            const std::string_view token = line.substr(value, at - value);
            if (token != "null" && token != "true" && token != "false" && !json_number(token))
                return false;
        }
        if (at >= line.size()) return false;
        if (line[at] == '}') return at + 1 == line.size();
        ++at;  // past the comma
    }
}

std::size_t csv_field_count(std::string_view line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

}  // namespace morbilex
