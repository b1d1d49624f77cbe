// A single run's summary: its figures, as a file's text or a readable block.
#pragma once

#include <string>

#include "analysis/capacity.h"
#include "analysis/care_layer.h"
#include "analysis/run_summary.h"
#include "model/records.h"

namespace morbilex::batch {

// A run's summary, with the capacity's columns when a capacity is set and
// the care layer's when it is on.
struct RunSummary {
    SummaryRow row;
    bool has_capacity = false;
    CapacityRow capacity;
    bool has_care = false;
    CareSummaryRow care;
};

// The figures of the run the records hold (after run_simulation).
RunSummary run_summary_of(const Records& records, InterventionMode mode,
                          const CapacitySetting& capacity = {});
// The summary of a scenario's run, in one integration.
RunSummary summary_of_scenario(const ScenarioInputs& inputs, const CapacitySetting& capacity);
// What --summary=PATH holds: a CSV row with its header, or for a .jsonl file
// one JSON line; the capacity's and the care layer's columns after the others
// when they are part of the summary.
std::string summary_file_text(const RunSummary& summary, const std::string& path);
// The CSV header, a CSV row and a JSON object of a summary, without line ends.
std::string summary_csv_header_of(const RunSummary& summary);
void append_summary_csv_row(std::string& out, const RunSummary& summary);
void append_summary_json_object(std::string& out, const RunSummary& summary);
// The readable block of a summary.
std::string readable_summary_of(const RunSummary& summary);
// The readable block on standard output; false with a one-line reason.
bool print_summary(const RunSummary& summary, std::string& error);

}  // namespace morbilex::batch
