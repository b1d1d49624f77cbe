// Runs a sweep's scenarios on threads and hands their rows over in run_id
// order, the same bytes for any number of threads.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/sweep_grid.h"

namespace morbilex::batch {

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

struct SweepSettings {
    int jobs = 1;
    Shard shard;
    bool json_lines = false;
    // Set from outside (Ctrl-C): no new scenarios start; the rows finished
    // before are still written.
    const std::atomic<bool>* stop = nullptr;
    // When set: the column's value of every run, by run_id - 1 (the whole
    // grid's size; only a single shard is filled in).
    int metric_column = -1;
    std::vector<double>* metric_values = nullptr;
};

struct SweepOutcome {
    long long rows_written = 0;
    bool complete = false;  // every row of the shard written
    std::string error;      // a refused scenario or a failed write
};

SweepOutcome run_sweep(const SweepPlan& plan, const SweepSettings& settings, RowSink& sink);

}  // namespace morbilex::batch
