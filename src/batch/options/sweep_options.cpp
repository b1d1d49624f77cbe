#include "batch/options/sweep_options.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

#include "batch/options/batch_options.h"
#include "batch/options/option_table.h"
#include "batch/shards/sweep_manifest.h"
#include "study/scenario_ranges.h"

namespace morbilex::batch {
namespace {

// The ensemble's options: ranges go without a sweep, the rest need ranges.
bool check_ensemble(const AnalysisOptions& options, std::string& error) {
    if (options.ensemble() && options.sweep()) {
        error = "--range: not with a sweep (each scenario of a sweep is one run)";
        return false;
    }
    if (options.ensemble()) return true;
    const std::pair<bool, const char*> needing_ranges[] = {
        {options.samples != 0, "--samples"},
        {!options.bands_path.empty(), "--bands"},
        {!options.sensitivity_path.empty(), "--sensitivity"},
    };
    for (const auto& [given, name] : needing_ranges) {
        if (!given) continue;
        error = std::string(name) + " belongs to an ensemble: give --range=NAME=low:high too";
        return false;
    }
    return true;
}

// What goes with a capacity and a plan search, and what does not.
bool check_plan_options(const AnalysisOptions& options, std::string& error) {
    if (options.capacity_series_given && !options.capacity.set) {
        error = "--capacity-series: give --capacity=PERSONS too";
        return false;
    }
    if (!options.search_bounds.empty() && !options.find_plan) {
        error = "--search belongs to a plan search: give --find-plan=one-time|intermittent too";
        return false;
    }
    if (options.capacity.set && (options.sweep() || options.merge())) {
        error = "--capacity: the capacity's figures are those of a single run or a plan search";
        return false;
    }
    if (options.ensemble() && options.find_plan) {
        error =
            "--range: not with --find-plan (a plan is searched for one scenario: give the "
            "ranged fields values)";
        return false;
    }
    if (!options.find_plan) return true;
    if (options.sweep() || options.summary || !options.summary_path.empty() ||
        options.trace_given) {
        error =
            "--find-plan writes the plans' summaries to --output: leave out --sweep, "
            "--scenarios, --summary and --trace";
        return false;
    }
    // Of the sweep's options, a search takes where its rows go and its threads.
    for (const BatchOption& option : batch_option_table()) {
        if (option.sweep_only_given == nullptr || !option.sweep_only_given(options)) continue;
        if (option.name == "output" || option.name == "jobs" || option.name == "format") continue;
        error = "--" + std::string(option.name) + " belongs to a sweep, not to --find-plan";
        return false;
    }
    return true;
}

// Options that only a sweep reads, refused without one (threads serve an
// ensemble and a plan search too).
bool check_sweep_only(const AnalysisOptions& options, std::string& error) {
    if (!check_ensemble(options, error) || !check_plan_options(options, error)) return false;
    if (options.find_plan) return true;
    if (options.sweep()) {
        if (options.summary || !options.summary_path.empty()) {
            error = "--summary: a sweep writes every run's summary already";
            return false;
        }
        return true;
    }
    for (const BatchOption& option : batch_option_table()) {
        if (options.ensemble() && option.name == "jobs") continue;
        if (option.sweep_only_given != nullptr && option.sweep_only_given(options)) {
            error =
                "--" + std::string(option.name) + " belongs to a sweep: give --sweep=NAME=... too";
            return false;
        }
    }
    return true;
}

// --merge=OUT IN...: every argument after it is an input, and nothing else goes
// but --partial.
bool take_merge(int argc, const char* const argv[], int at, const BatchOption& merge,
                OptionTargets& into, std::string& error) {
    GivenOption given;
    std::string_view name;
    split_option(argv[at], given, name);
    if (!merge.read(given, into, error)) return false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (i == at) continue;
        if (argument == "--partial") {
            into.analysis->merge_partial = true;
            continue;
        }
        if (argument.substr(0, 2) == "--") {
            return refuse_option(error, argument, "--merge=OUT takes only the files to join");
        }
        into.analysis->merge_inputs.emplace_back(argument);
    }
    if (into.analysis->merge_inputs.empty())
        return refuse_option(error, argv[at], "no files to join");
    return true;
}

// Whether the argument is one of the options that only say where and how the
// rows go, not which rows there are.
bool where_rows_go(std::string_view argument) {
    for (const std::string_view name : {"output", "shard", "jobs", "resume", "format"}) {
        if (argument.substr(0, 2) != "--" || argument.substr(2, name.size()) != name) continue;
        const std::string_view after = argument.substr(2 + name.size());
        if (after.empty() || after[0] == '=') return true;
    }
    return false;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The rows of a .csv or .jsonl output (or .csv.gz, .jsonl.gz) are what its
// name says; --format saying otherwise is refused.
bool format_of_output(AnalysisOptions& options, std::string& error) {
    std::string_view name = options.output_path;
    if (ends_with(name, ".gz")) name.remove_suffix(3);
    RowFormat named;
    if (ends_with(name, ".csv")) {
        named = RowFormat::Csv;
    } else if (ends_with(name, ".jsonl")) {
        named = RowFormat::JsonLines;
    } else {
        return true;
    }
    if (options.format_given && options.format != named) {
        error = std::string("--format=") + (options.format == RowFormat::Csv ? "csv" : "jsonl") +
                ": --output=" + options.output_path + " holds " +
                (named == RowFormat::Csv ? "CSV" : "JSON Lines") +
                " rows, as its name says (leave --format out or rename the output)";
        return false;
    }
    options.format = named;
    return true;
}

std::string definition_of(int argc, const char* const argv[]) {
    std::string definition;
    for (int i = 1; i < argc; ++i) {
        if (where_rows_go(argv[i])) continue;
        if (!definition.empty()) definition += ' ';
        definition += argv[i];
    }
    return definition;
}

// The files the scenarios are read from: --scenario's and --scenarios's.
std::vector<std::string> input_paths_of(int argc, const char* const argv[]) {
    std::vector<std::string> paths;
    GivenOption given;
    std::string_view name;
    for (int i = 1; i < argc; ++i) {
        if (split_option(argv[i], given, name) && (name == "scenario" || name == "scenarios"))
            paths.emplace_back(given.value);
    }
    return paths;
}

// The ranges a --scenario file holds come before those of the command line;
// one given there for a field the file ranges replaces the file's. A file that cannot be read
// is left for the run's own reading of it to report.
bool take_scenario_ranges(int argc, const char* const argv[], AnalysisOptions& options,
                          std::string& error) {
    GivenOption given;
    std::string_view name;
    std::vector<ParameterRange> taken;
    for (int i = 1; i < argc; ++i) {
        if (!split_option(argv[i], given, name) || name != "scenario") continue;
        std::ifstream file{std::string(given.value), std::ios::binary};
        if (!file) continue;
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        std::vector<ParameterRange> ranges;
        if (!read_scenario_ranges(text, ranges, error)) {
            error = std::string(given.argument) + ": " + error;
            return false;
        }
        for (ParameterRange& range : ranges) {
            std::erase_if(taken,
                          [&range](const ParameterRange& t) { return t.name == range.name; });
            taken.push_back(std::move(range));
        }
    }
    // A range given again on the command line takes the file's one's place.
    for (ParameterRange& given : options.ranges) {
        const auto same = [&given](const ParameterRange& range) {
            return range.name == given.name;
        };
        const auto in_file = std::find_if(taken.begin(), taken.end(), same);
        if (in_file != taken.end()) {
            *in_file = std::move(given);
        } else {
            taken.push_back(std::move(given));
        }
    }
    options.ranges = std::move(taken);
    return true;
}

}  // namespace

bool split_analysis_options(int argc, const char* const argv[], AnalysisOptions& options,
                            std::vector<const char*>& rest, std::string& error) {
    rest.assign(argv, argv + (argc > 0 ? 1 : 0));
    OptionTargets into{nullptr, &options};
    GivenOption given;
    std::string_view name;
    for (int i = 1; i < argc; ++i) {
        const BatchOption* merge =
            split_option(argv[i], given, name)
                ? find_batch_option(OptionPart::Analysis, name, OptionTakes::ValueAndFiles)
                : nullptr;
        if (merge != nullptr) return take_merge(argc, argv, i, *merge, into, error);
    }
    std::vector<std::string_view> named;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const BatchOption* flag =
            argument.substr(0, 2) == "--"
                ? find_batch_option(OptionPart::Analysis, argument.substr(2), OptionTakes::Nothing)
                : nullptr;
        if (flag != nullptr) {
            flag->read({argument, {}}, into, error);
            continue;
        }
        if (!split_option(argument, given, name)) {
            rest.push_back(argv[i]);
            continue;
        }
        if (!repeatable_option(name) && !given_once(named, name, error)) return false;
        const BatchOption* option =
            find_batch_option(OptionPart::Analysis, name, OptionTakes::Value);
        if (option == nullptr) {
            options.trace_given = options.trace_given || name == "trace";
            options.mode_given = options.mode_given || name == "mode";
            rest.push_back(argv[i]);
        } else if (!option->read(given, into, error)) {
            return false;
        }
    }
    options.sweep_definition = definition_of(argc, argv);
    if (!take_scenario_ranges(argc, argv, options, error)) return false;
    if (!check_sweep_only(options, error)) return false;
    if (options.find_plan) return format_of_output(options, error);
    if (!options.sweep()) return true;
    options.sweep_identity = sweep_identity_of(program_version_text(), options.sweep_definition,
                                               input_paths_of(argc, argv));
    return format_of_output(options, error);
}

std::string analysis_usage_text() {
    return "\n"
           "Summary of the run:\n"
           "  --summary        the run's figures, readable, on standard output after it\n"
           "                   (the trace then goes only where --trace says; --trace=-\n"
           "                   is standard output)\n"
           "  --summary=FILE   the figures as one CSV row with its header (.jsonl: one\n"
           "                   JSON line; .gz: compressed; -: standard output); the\n"
           "                   trace goes where it would without it\n"
           "\n"
           "Sweeps (one summary row per scenario, no trace):\n"
           "  --sweep=NAME=a:b:step  values a, a+step, ... up to b; NAME is a field or mode\n"
           "  --sweep=NAME=v1,v2,... the listed values; repeat --sweep for a grid (the\n"
           "                   first varies slowest; run_id counts the scenarios from 1;\n"
           "                   at most 10^8 scenarios)\n"
           "  --scenarios=FILE.csv  a scenario a row: the header names fields (or mode)\n"
           "                   as --sweep does, each cell is the text typed into its\n"
           "                   field (no quoting); with --sweep every row takes every\n"
           "                   point of the grid, the rows varying slowest\n"
           "  --off-ratio=F    Off_threshold = F x On_threshold in every scenario\n"
           "  --output=FILE    the rows (default, or -: standard output); a file ending\n"
           "                   in .gz is written compressed (gzip)\n"
           "  --format=csv|jsonl  CSV with a header (default) or JSON Lines; an output\n"
           "                   named .csv or .jsonl (.gz too) has the format its name says\n"
           "  --jobs=N         threads, 1 to 4 for each CPU this process may run on\n"
           "                   (default: one a CPU, or SLURM_CPUS_PER_TASK if fewer);\n"
           "                   the output is the same for any N\n"
           "  --shard=K/N      only run_ids r with (r-1) mod N = K-1, for a job array\n"
           "  --shard=auto     K and N of this job array task, from Slurm's\n"
           "                   SLURM_ARRAY_TASK_ID/_MIN/_MAX/_STEP or Grid Engine's\n"
           "                   SGE_TASK_ID/_FIRST/_LAST/_STEPSIZE (a range a-b or\n"
           "                   a-b:step, not a list; a task run again alone, an array\n"
           "                   of one, is refused: give it --shard=K/N)\n"
           "  --count          print the number of scenarios (of the shard) and exit\n"
           "  --chart=PATH     one field: the metric against it (a line per mode when mode\n"
           "                   is swept too); two fields: a heat map; at most 10^6\n"
           "                   scenarios\n"
           "  --metric=NAME    the summary column the chart shows (default peak_infectious)\n"
           "  --merge=OUT IN...  join shard files into OUT (same header, every run_id once;\n"
           "                   OUT -: standard output); files ending in .gz are read\n"
           "                   and written compressed. With manifests (IN.manifest)\n"
           "                   every shard of one sweep must be there once, whole;\n"
           "                   OUT.manifest is written. --partial: shards (run_ids)\n"
           "                   may be missing, for a later merge of the merged files\n"
           "  --resume         continue the sweep kept in OUTPUT.partial (same options,\n"
           "                   same files read); with none, run from the start; an OUTPUT\n"
           "                   whole already (its manifest says) is left as it is\n"
           "\n"
           "Ranges and ensembles (the run is the ranges' centre; without a sweep):\n"
           "  --range=NAME=low:high[:mode]  NAME is a model parameter (not T_max or\n"
           "                   init_S) or a plan field, uniform from low to high, or\n"
           "                   triangular with a mode; repeat for more fields (a\n"
           "                   --scenario file's lines NAME.range = low:high[:mode] too)\n"
           "  --samples=N      the ensemble's samples, 1 to 10^6 (default 1024), drawn\n"
           "                   from a fixed low-discrepancy sequence: the same numbers\n"
           "                   for any --jobs\n"
           "  --summary        adds the 5th, 50th and 95th percentiles of the figures\n"
           "                   (NAME_p5, NAME_p50, NAME_p95 columns in a file)\n"
           "  --bands=FILE.csv step, t and the 5/25/50/75/95th percentiles of S, E, I\n"
           "                   and R at every step (.gz: compressed); with the care\n"
           "                   layer on, of hospital, icu and deaths too\n"
           "  --capacity=PERSONS  with ranges: p_over_capacity, the share of samples\n"
           "                   whose series goes over the capacity\n"
           "  --sensitivity=FILE.csv  first- and total-order Sobol indices of every\n"
           "                   figure for every ranged field, with 95 % bootstrap\n"
           "                   intervals (N = --samples, N x (fields + 2) runs)\n"
           "  --jobs=N         threads, as for a sweep\n"
           "\n"
           "A scenario whose run overflows is a row with status non-finite (a missing\n"
           "value in the chart), not a failed sweep. Ctrl-C, SIGTERM or SIGHUP stop a\n"
           "sweep or merge with exit status 128 + the signal (130, 143, 129); a sweep's\n"
           "complete rows go to OUTPUT.partial, OUTPUT itself stays as it was. A file\n"
           "OUTPUT gets OUTPUT.manifest (the sweep, its shard and rows) beside it, and\n"
           "OUTPUT.lock while a run writes it: a second run on it is refused (where\n"
           "the file system has no locks, it goes on unlocked, with a warning).\n"
           "\n"
           "Capacity and plans:\n"
           "  --capacity=PERSONS  what can be cared for at once (per 10,000): the summary\n"
           "                   gains the series' peak against it, the first day over,\n"
           "                   the days and person-days over, and whether the epidemic\n"
           "                   is still running at T_max (E + I above 1 person)\n"
           "  --capacity-series=infectious|hospital|icu  the series held against it\n"
           "                   (default infectious; hospital and icu are the care\n"
           "                   layer's, with its fields as given or their defaults)\n"
           "  --find-plan=one-time|intermittent  the plan that keeps the series at or\n"
           "                   under the capacity, over by T_max, with the fewest days\n"
           "                   under reduction (then fewer switches, then the lower\n"
           "                   peak); writes the trade-off front, best first, as\n"
           "                   summary rows (as --summary=FILE.csv of each plan alone)\n"
           "                   to --output; with no plan meeting it, the closest\n"
           "                   first, and a note on standard error\n"
           "  --search=FIELD=LOW:HIGH  bounds of a searched field (repeatable):\n"
           "                   one-time: start, length (days), reduction; intermittent:\n"
           "                   on, off (persons, off < on), reduction\n"
#if defined(__EMSCRIPTEN__)
           "This build for node catches no signal: Ctrl-C or SIGTERM end it at once,\n"
           "keeping no OUTPUT.partial (--resume then starts over), and it takes no\n"
           "OUTPUT.lock: two runs on one output are not refused. A later run removes\n"
           "the temporary files a stopped one left.\n"
#endif
        ;
}

}  // namespace morbilex::batch
