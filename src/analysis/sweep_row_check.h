// Reading back the rows a sweep writes (append_sweep_csv_row,
// append_sweep_json_row), as a merge of shard files checks them: the run_id
// a row starts with, a CSV row's fields, a JSON Lines row's keys. The
// numbers are held to the one grammar the writers keep to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morbilex {

// A number as JSON writes one: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool json_number(std::string_view text);

// The run_id a row starts with (CSV, or JSON Lines when json); false when it
// has none or one below 1.
bool row_run_id(std::string_view line, bool json, long long& run_id);

// The keys of a JSON Lines row, in order ("\"run_id\":\"R_0\":"...): what a
// header is to CSV. False unless the row is one whole flat object whose
// values are strings, JSON numbers, null, true or false.
bool json_row_keys(std::string_view line, std::string& keys);

// The fields of a CSV row as the writer writes it: no field holds a comma
// (a scenario file's cells are split at every one) and none is quoted, so
// a '"' in a cell is a character like any other.
std::size_t csv_field_count(std::string_view line);

}  // namespace morbilex
