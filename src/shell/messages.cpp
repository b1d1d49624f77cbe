#include "shell/messages.h"

#include "model/simulation.h"
#include "shell/file_messages.h"
#include "text/format.h"

namespace morbilex {

const char* run_failure_text(int run_result) {
    switch (run_result) {
        case RUN_COMPLETED:
        case RUN_TRACE_NOT_WRITTEN:
            return nullptr;
        case RUN_REFUSED:
            return "The run was refused: a value cannot be integrated. Both periods must be "
                   "above zero and every value finite.";
        default:
            return "The run failed.";
    }
}

std::string non_finite_run_text(const NonFiniteRow& row) {
    char text[256];
    format_text(text, sizeof text,
                "The run overflowed: from day %.2f on, its values are not finite (inf or nan). "
                "Its trace holds every step.",
                {row.day});
    return text;
}

std::string run_report_text(int run_result, const NonFiniteRow& row, const std::string& trace_path,
                            int trace_error) {
    if (run_result == RUN_NOT_FINITE) return non_finite_run_text(row);
    if (run_result == RUN_TRACE_NOT_WRITTEN) return trace_failure_text(trace_path, trace_error);
    const char* text = run_failure_text(run_result);
    return text != nullptr ? text : "";
}

}  // namespace morbilex
