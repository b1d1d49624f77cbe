// The options of run summaries and sweeps, taken out of the command line
// before the single run's options are read.
#pragma once

#include <string>
#include <vector>

#include "analysis/sweep_grid.h"
#include "batch/array_task.h"

namespace morbilex::batch {

enum class RowFormat { Csv, JsonLines };

struct AnalysisOptions {
    // --summary: the readable block on standard output; --summary=FILE: a CSV
    // row (JSON Lines for a .jsonl file).
    bool summary = false;
    std::string summary_path;
    bool trace_given = false;  // --trace= appeared
    bool mode_given = false;   // --mode= appeared

    SweepGrid grid;
    bool has_off_ratio = false;
    double off_ratio = 0.0;
    std::string off_ratio_option;  // as given, for messages
    std::string output_path;       // empty: standard output
    // The rows of an output named .csv or .jsonl (.gz or not) are what its name says.
    RowFormat format = RowFormat::Csv;
    bool format_given = false;  // --format= appeared
    int jobs = 0;               // 0: default_job_count()
    Shard shard;
    bool shard_given = false;
    LoneArrayTask lone_array_task;  // --shard=auto in a task run again alone
    bool count_only = false;
    bool resume = false;  // continue from OUTPUT.partial
    std::string metric = "peak_infectious";
    bool metric_given = false;

    // The options that make the scenarios, as given and in order: every one
    // but --output, --shard, --jobs, --resume and --format.
    std::string sweep_definition;
    // The definition's identity: with the program's version and the bytes of
    // the files it reads (see sweep_identity_of).
    std::string sweep_identity;

    std::string merge_output;  // --merge=OUT IN...
    std::vector<std::string> merge_inputs;
    bool merge_partial = false;  // --partial among them: some shards may be missing

    bool sweep() const { return !grid.axes.empty() || grid.has_table(); }
    bool merge() const { return !merge_output.empty(); }
};

// Takes the analysis options out of argv into options; rest gets argv[0] and
// every other argument, for the single run's parser. False with a one-line
// reason naming the option.
bool split_analysis_options(int argc, const char* const argv[], AnalysisOptions& options,
                            std::vector<const char*>& rest, std::string& error);

// The --help text's part about summaries and sweeps.
std::string analysis_usage_text();

}  // namespace morbilex::batch
