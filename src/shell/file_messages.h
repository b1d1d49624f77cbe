// Messages about files that name the file by its full path and give the
// system's reason.
#pragma once

#include <string>

namespace morbilex {

// "/full/path/name: Permission denied"; the reason is left out when
// error_number is 0.
std::string file_problem_text(const std::string& path, int error_number);

// The report of a run whose trace could not be written: "The trace file
// /full/path/name could not be written (Permission denied); the chart shows
// the full run.", the reason left out when error_number is 0.
std::string trace_failure_text(const std::string& trace_path, int error_number);

}  // namespace morbilex
