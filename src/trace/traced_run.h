// A run with its trace: the result table filled and every row written to the
// trace file as the run integrates.
#pragma once

#include <cstdio>

#include "model/records.h"
#include "model/run_loop.h"
#include "model/simulation.h"
#include "trace/trace_writer.h"

namespace morbilex {

// Runs with the trace written to trace_path ("temp.dat" by default).
// When first_non_finite is given it receives the first row with a value that
// is not finite; when observer is given it sees the run's rows too.
int run_simulation(Records& records, InterventionMode mode,
                   const char* trace_path = TRACE_FILE_NAME,
                   NonFiniteRow* first_non_finite = nullptr, RunObserver* observer = nullptr);

// Runs with the trace written to an open stream; a null stream runs without a
// trace (table only) and still completes.
int run_simulation_to_stream(Records& records, InterventionMode mode, std::FILE* trace,
                             NonFiniteRow* first_non_finite = nullptr,
                             RunObserver* observer = nullptr);

}  // namespace morbilex
