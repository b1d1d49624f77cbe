// Texts and captions of the program's message boxes, shared by both programs.
#pragma once

#include <string>

#include "model/simulation.h"

namespace morbilex {

inline constexpr const char* PROGRAM_TITLE = "Morbilex";
inline constexpr const char* HELP_TEXT = "Help menu is selected!";
inline constexpr const char* HELP_CAPTION = "Message";
inline constexpr const char* DIALOG_FAILURE_TEXT = "Unable to display dialog";
inline constexpr const char* DIALOG_FAILURE_CAPTION = "Sysytem error";
inline constexpr const char* PRINT_FAILURE_TEXT = "Unable to start print job";
inline constexpr const char* PRINT_FAILURE_CAPTION = "Error";
// A job that started but whose page could not be finished (the spooler or
// the disk refused it); also titled PRINT_FAILURE_CAPTION.
inline constexpr const char* PRINT_INCOMPLETE_TEXT =
    "The print could not be finished: the page was not written completely.";

// The plain-words report of a refused run (2) or of an unknown result;
// nullptr for 0 and for 1, whose report names the file (trace_failure_text).
const char* run_failure_text(int run_result);
inline constexpr const char* RUN_FAILURE_CAPTION = "Error";

// The boxes of scenario files that cannot be opened or saved.
inline constexpr const char* OPEN_SCENARIO_CAPTION = "Open Scenario";
inline constexpr const char* SAVE_SCENARIO_CAPTION = "Save Scenario As";

// The report of a run that went beyond the numbers: the first day with a value
// that is not finite.
std::string non_finite_run_text(const NonFiniteRow& row);
// The text of the box for any result but 0: for a trace that could not be
// written trace_failure_text (with trace_error, the system's error number),
// for a run that went beyond the numbers non_finite_run_text, else
// run_failure_text.
std::string run_report_text(int run_result, const NonFiniteRow& row, const std::string& trace_path,
                            int trace_error);

}  // namespace morbilex
