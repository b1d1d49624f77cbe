#include "shell/messages.h"

#include "model/simulation.h"

namespace morbilex {

const char* run_failure_text(int run_result) {
    switch (run_result) {
        case RUN_COMPLETED:
            return nullptr;
        case RUN_TRACE_NOT_WRITTEN:
            return "The trace file temp.dat could not be written; the chart shows the full run.";
        case RUN_REFUSED:
            return "The run was refused: a value cannot be integrated. Both periods must be "
                   "above zero and every value finite.";
        default:
            return "The run failed.";
    }
}

}  // namespace morbilex
