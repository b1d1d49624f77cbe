// A single run's summary: its figures, as a file's text or a readable block.
#include "batch/runs/summary_output.h"

#include <string_view>

#include "analysis/run_figures.h"
#include "analysis/scenario_setup.h"
#include "batch/posix/output_file.h"

namespace morbilex::batch {
namespace {

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

SummaryRow run_summary_of(const Records& records, InterventionMode mode) {
    const ScenarioInputs inputs = scenario_inputs_of(records, mode);
    SummaryRow row;
    summarise_run(inputs, integrate_run_figures(inputs), row);
    return row;
}

std::string summary_file_text(const SummaryRow& row, const std::string& path,
                              const CareSummaryRow* care) {
    if (ends_with(path, ".jsonl") || ends_with(path, ".jsonl.gz")) {
        std::string text = "{";
        append_summary_json(text, row);
        if (care != nullptr) append_care_summary_json(text, *care);
        return text + "}\n";
    }
    std::string text = summary_csv_header() + (care != nullptr ? care_csv_header() : "") + "\n";
    append_summary_csv(text, row);
    if (care != nullptr) append_care_summary_csv(text, *care);
    return text + "\n";
}

bool print_summary(const SummaryRow& row, std::string& error, const CareSummaryRow* care) {
    const std::string block =
        readable_summary(row) + (care != nullptr ? readable_care_summary(*care) : "");
    if (print_to_standard_output(block)) return true;
    error = "--summary: standard output could not be written";
    return false;
}

}  // namespace morbilex::batch
