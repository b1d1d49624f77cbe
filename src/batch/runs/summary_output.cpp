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

RunSummary summary_of_scenario(const ScenarioInputs& inputs, const CapacitySetting& capacity) {
    RunSummary summary;
    if (!capacity.set) {
        summarise_run(inputs, integrate_run_figures(inputs), summary.row);
        return summary;
    }
    const RunAgainstCapacity run = integrate_against_capacity(inputs, capacity);
    summarise_run(inputs, run.figures, summary.row);
    summary.has_capacity = true;
    summarise_capacity(capacity, run.capacity, run.figures, inputs.model.dt, summary.capacity);
    return summary;
}

RunSummary run_summary_of(const Records& records, InterventionMode mode,
                          const CapacitySetting& capacity) {
    return summary_of_scenario(scenario_inputs_of(records, mode), capacity);
}

std::string summary_csv_header_of(const RunSummary& summary) {
    std::string header = summary_csv_header();
    if (summary.has_capacity) append_capacity_csv_header(header);
    if (summary.has_care) header += care_csv_header();
    return header;
}

void append_summary_csv_row(std::string& out, const RunSummary& summary) {
    append_summary_csv(out, summary.row);
    if (summary.has_capacity) append_capacity_csv(out, summary.capacity);
    if (summary.has_care) append_care_summary_csv(out, summary.care);
}

void append_summary_json_object(std::string& out, const RunSummary& summary) {
    out += '{';
    append_summary_json(out, summary.row);
    if (summary.has_capacity) append_capacity_json(out, summary.capacity);
    if (summary.has_care) append_care_summary_json(out, summary.care);
    out += '}';
}

std::string summary_file_text(const RunSummary& summary, const std::string& path) {
    std::string text;
    if (ends_with(path, ".jsonl") || ends_with(path, ".jsonl.gz")) {
        append_summary_json_object(text, summary);
        return text + "\n";
    }
    text = summary_csv_header_of(summary) + "\n";
    append_summary_csv_row(text, summary);
    return text + "\n";
}

std::string readable_summary_of(const RunSummary& summary) {
    std::string block = readable_summary(summary.row);
    if (summary.has_capacity) append_capacity_readable(block, summary.capacity);
    if (summary.has_care) block += readable_care_summary(summary.care);
    return block;
}

bool print_summary(const RunSummary& summary, std::string& error) {
    if (print_to_standard_output(readable_summary_of(summary))) return true;
    error = "--summary: standard output could not be written";
    return false;
}

}  // namespace morbilex::batch
