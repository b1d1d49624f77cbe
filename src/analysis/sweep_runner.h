// Runs a sweep's scenarios on threads and hands their rows over in run_id
// order, the same bytes for any number of threads.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/sweep_grid.h"

namespace morbilex {

// Where the rows go, from the one thread that called run_sweep.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Whole rows, in run_id order; false stops the sweep.
    virtual bool write(std::string_view rows) = 0;
    // After each write: rows done of the total.
    virtual void progress(long long done, long long total) {
        (void)done;
        (void)total;
    }
};

// A scenario's summary, as it goes into its row.
struct FinishedScenario {
    long long run_id = 0;
    const SummaryRow& row;
    bool finite = true;  // false: the run overflowed, its figures stop where it did
};

struct SweepSettings {
    int jobs = 1;
    Shard shard;
    // The shard's first scenarios left out (written before): the sweep
    // continues from the one after them.
    long long skip = 0;
    bool json_lines = false;
    // False: no rows are made and the sink gets empty writes; on_scenario
    // alone sees the scenarios (a picture that needs one column).
    bool rows = true;
    // Set from outside (Ctrl-C): no new scenarios start; the rows finished
    // before are still written.
    const std::atomic<bool>* stop = nullptr;
    // When set: called with every finished scenario, on the worker threads,
    // at the same time for different run_ids and in no particular order.
    std::function<void(const FinishedScenario&)> on_scenario;
};

struct SweepOutcome {
    long long rows_written = 0;
    bool complete = false;                   // every row of the shard written
    std::optional<ScenarioRefusal> refused;  // the scenario that stopped the sweep
    bool write_failed = false;               // the sink took no more rows
};

SweepOutcome run_sweep(const SweepPlan& plan, const SweepSettings& settings, RowSink& sink);

}  // namespace morbilex
