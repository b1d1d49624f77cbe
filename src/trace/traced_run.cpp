#include "trace/traced_run.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "model/run_loop.h"

namespace morbilex {
namespace {

// The trace file, truncated, or null. A link that points nowhere is left
// alone: writing through it would create a file of the link's naming that
// nobody removes.
std::FILE* open_trace(const char* path) {
    std::error_code ignored;
    if (std::filesystem::is_symlink(path, ignored) && !std::filesystem::exists(path, ignored)) {
        errno = ENOENT;  // what the link names is not there
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "w");
    // The trace writer hands over whole blocks; a stream buffer would only
    // split them into misaligned writes.
    if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

// Each row into the table and the trace.
class TracedTableSink {
public:
    TracedTableSink(ResultTable& table, TraceWriter& writer, RunObserver* observer)
        : table_(table), writer_(writer), observer_(observer) {}

    double* slot(int step) { return table_.slot(step); }
    void row(int step, double t, int on_flag, const double* y) {
        writer_.row(step, t, on_flag, y);
        table_.row(step, t, on_flag, y);
        if (observer_ != nullptr) observer_->row(step, t, on_flag, y);
    }
    void last_row(int step, double t, int on_flag, const double* y) {
        writer_.row(step, t, on_flag, y);
        table_.last_row(step, t, on_flag, y);
        if (observer_ != nullptr) observer_->last_row(step, t, on_flag, y);
    }
    const NonFiniteRow& first_non_finite() const { return table_.first_non_finite(); }

private:
    ResultTableSink table_;
    TraceWriter& writer_;
    RunObserver* observer_;
};

// The run of inputs already found acceptable.
int run_accepted(Records& records, InterventionMode mode, std::FILE* trace,
                 NonFiniteRow* first_non_finite, RunObserver* observer) {
    TraceWriter writer(trace);
    writer.header(records, mode);
    if (observer != nullptr) observer->run_started(records, mode);
    TracedTableSink sink(records.results, writer, observer);
    integrate_run(records.model, records.one_time, records.intermittent, mode, records.rates, sink);
    const NonFiniteRow& non_finite = sink.first_non_finite();
    if (first_non_finite != nullptr) *first_non_finite = non_finite;
    if (!writer.flush()) return RUN_TRACE_NOT_WRITTEN;
    return non_finite.step < 0 ? RUN_COMPLETED : RUN_NOT_FINITE;
}

}  // namespace

int run_simulation_to_stream(Records& records, InterventionMode mode, std::FILE* trace,
                             NonFiniteRow* first_non_finite, RunObserver* observer) {
    if (!run_inputs_acceptable(records, mode)) return RUN_REFUSED;
    return run_accepted(records, mode, trace, first_non_finite, observer);
}

int run_simulation(Records& records, InterventionMode mode, const char* trace_path,
                   NonFiniteRow* first_non_finite, RunObserver* observer) {
    if (!run_inputs_acceptable(records, mode)) return RUN_REFUSED;
    std::FILE* trace = open_trace(trace_path);
    // Without a trace file the run still fills the whole table, so the chart
    // never mixes this run's first row with an older run's rows.
    const int result = run_accepted(records, mode, trace, first_non_finite, observer);
    if (trace == nullptr) return RUN_TRACE_NOT_WRITTEN;
    const bool closed = std::fclose(trace) == 0;
    return closed ? result : RUN_TRACE_NOT_WRITTEN;
}

}  // namespace morbilex
