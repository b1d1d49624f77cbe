// The step-by-step trace of a run: three header lines and one row per step.
#pragma once

#include <cstddef>
#include <cstdio>

#include "model/records.h"
#include "trace/trace_row.h"

namespace morbilex {

inline constexpr const char* TRACE_FILE_NAME = "temp.dat";

// Collects the trace in a fixed buffer and hands it to the stream in large
// writes. A null stream makes every call a no-op (a run without a trace).
class TraceWriter {
public:
    explicit TraceWriter(std::FILE* stream) : stream_(stream) {}
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    void header(const Records& records, InterventionMode mode);
    void row(int step, double t, int on_flag, const double y[COMPARTMENT_COUNT]);
    // Writes what is still buffered; false when any write to the stream failed.
    bool flush();

private:
    // The stream gets whole blocks: large writes at aligned offsets keep the
    // file system's share of a run small. The writer lives on the run's
    // stack, so the buffer is touched once and then reused.
    static constexpr std::size_t BLOCK_SIZE = 256 * 1024;
    // The longest row: two integers and five fixed-point fields of any double.
    static constexpr std::size_t ROW_RESERVE = 2 * 24 + 5 * (400 + 1) + 1;
    void append(const char* text, std::size_t length);
    void write_block();

    std::FILE* stream_;
    bool failed_ = false;
    std::size_t used_ = 0;
    TraceRowMemo memo_;
    char buffer_[BLOCK_SIZE + ROW_RESERVE];  // a block and the row that crossed it
};

}  // namespace morbilex
