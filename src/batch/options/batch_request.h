// What the command line of morbilex-batch asks for: the single run's request
// and the options of summaries, sweeps and merges. The option table reads
// into them; the runs read them.
#pragma once

#include <string>
#include <vector>

#include "analysis/scenario_setup.h"
#include "analysis/sweep_grid.h"
#include "batch/options/array_task.h"
#include "batch/options/data_options.h"
#include "model/records.h"
#include "shell/dialogs.h"

namespace morbilex::batch {

// The largest side of a chart: a square of it is the most pixels a picture
// may have (256 Mi).
inline constexpr int LARGEST_CHART_SIDE = 16384;

using morbilex::TypedField;  // a field as the user typed it on the command line

struct BatchRequest {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    std::string trace_path;  // empty: standard output
    std::string chart_path;  // empty: no chart
    std::string chart_type;  // png, svg or pdf
    int chart_width = 1200;
    int chart_height = 700;
    DataOptions data;  // observed counts and their fit
};

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

}  // namespace morbilex::batch
