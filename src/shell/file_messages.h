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

// The remembered settings could not be read (reason, which names the file) and
// were moved to kept_path: "The remembered settings could not be read
// (reason); the file is kept as /full/path/settings.morbilex.bad and this
// session starts with the usual values."
std::string settings_set_aside_text(const std::string& reason, const std::string& kept_path);

// As above, but the file could not be moved either (why_kept): it stays, and
// the settings of this session are not saved over it.
std::string settings_left_alone_text(const std::string& reason, const std::string& why_kept);

}  // namespace morbilex
