// --scenarios=FILE.csv: a scenario a row, a field (or the mode) a column.
#pragma once

#include <string>

#include "analysis/sweep_grid.h"

namespace morbilex::batch {

// Reads the file, plain or gzip-compressed, into table (see ScenarioCells for
// what a cell costs): the header names fields as --sweep=NAME= does,
// each cell is the text typed into its field (no quoting: a cell holds no
// comma), the mode's cells are 0, 1 or 2. Refuses an unknown or repeated
// column, a row of another length than the header, a blank line, a file
// without rows and one that would make more than LARGEST_SWEEP scenarios with
// the grid's size. False with a one-line reason naming option, file and line;
// a name or cell it shows is quoted, cut and escaped.
bool read_scenario_file(const std::string& option, const std::string& path, long long grid_size,
                        ScenarioTable& table, std::string& error);

}  // namespace morbilex::batch
