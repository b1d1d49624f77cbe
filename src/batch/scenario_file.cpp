#include "batch/scenario_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace morbilex::batch {
namespace {

std::vector<std::string> split_cells(std::string_view line) {
    std::vector<std::string> cells;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        cells.emplace_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) return cells;
        start = comma + 1;
    }
}

bool read_header(const std::string& line, ScenarioTable& table, std::string& at,
                 std::string& error) {
    for (std::string& name : split_cells(line)) {
        ScenarioColumn column;
        column.is_mode = name == "mode";
        if (!column.is_mode && !find_editable_field(name, column.field)) {
            error = at + "unknown column '" + name + "' (a field option's name or mode)";
            return false;
        }
        for (const ScenarioColumn& earlier : table.columns) {
            if (earlier.name == name) {
                error = at + "column '" + name + "' comes twice";
                return false;
            }
        }
        column.name = std::move(name);
        table.columns.push_back(std::move(column));
    }
    return true;
}

bool read_row(const std::string& line, ScenarioTable& table, const std::string& at,
              std::string& error) {
    std::vector<std::string> cells = split_cells(line);
    if (cells.size() != table.columns.size()) {
        error = at + std::to_string(cells.size()) + " fields where the header has " +
                std::to_string(table.columns.size());
        return false;
    }
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (table.columns[k].is_mode && cells[k] != "0" && cells[k] != "1" && cells[k] != "2") {
            error = at + "mode '" + cells[k] + "': the mode is 0, 1 or 2";
            return false;
        }
    }
    table.cells.push_back(std::move(cells));
    return true;
}

}  // namespace

bool read_scenario_file(const std::string& option, const std::string& path, long long grid_size,
                        ScenarioTable& table, std::string& error) {
    table = ScenarioTable{};
    table.option = option;
    table.path = path;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        error = option + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    std::string line;
    long long number = 0;
    while (std::getline(stream, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A spreadsheet may start its CSV with a byte order mark.
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        std::string at = option + ": " + path + " line " + std::to_string(number) + ": ";
        if (line.empty()) {
            error = at + "a blank line";
            return false;
        }
        if (number == 1 ? !read_header(line, table, at, error)
                        : !read_row(line, table, at, error)) {
            return false;
        }
        if (number > 1) table.lines.push_back(number);
        if (static_cast<long long>(table.cells.size()) > LARGEST_SWEEP / grid_size) {
            error = at + "the scenarios would be more than 10^8";
            return false;
        }
    }
    if (stream.bad()) {
        error = option + ": the file cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    if (number == 0) {
        error = option + ": " + path + ": the file is empty (no header, no row)";
        return false;
    }
    if (table.cells.empty()) {
        error = option + ": " + path + ": a header and no scenario row";
        return false;
    }
    return true;
}

}  // namespace morbilex::batch
