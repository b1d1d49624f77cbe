// A single run's summary: its figures, as a file's text or a readable block.
#pragma once

#include <string>

#include "analysis/care_layer.h"
#include "analysis/run_summary.h"
#include "model/records.h"

namespace morbilex::batch {

// The figures of the run the records hold (after run_simulation).
SummaryRow run_summary_of(const Records& records, InterventionMode mode);
// What --summary=PATH holds: a CSV row with its header, or for a .jsonl file
// one JSON line; the care layer's columns after the others when given.
std::string summary_file_text(const SummaryRow& row, const std::string& path,
                              const CareSummaryRow* care = nullptr);
// The readable block on standard output; false with a one-line reason.
bool print_summary(const SummaryRow& row, std::string& error, const CareSummaryRow* care = nullptr);

}  // namespace morbilex::batch
