// The shard of a job array's task, read from what its batch system puts in
// the environment (--shard=auto).
#pragma once

#include <string>

#include "analysis/sweep_grid.h"

namespace morbilex::batch {

// The task's place in its array as K of N, from the first batch system whose
// variables are there:
//   Slurm: SLURM_ARRAY_TASK_ID, _MIN, _MAX, _STEP (1 when missing) and,
//          when there, _COUNT to check them against;
//   Grid Engine: SGE_TASK_ID, SGE_TASK_FIRST, SGE_TASK_LAST, SGE_TASK_STEPSIZE.
// K = (ID - MIN) / STEP + 1 and N = (MAX - MIN) / STEP + 1, so a range with a
// step works; a list of indices that is no such range is refused. PBS and LSF
// give a task's index without the array's first one: refused, naming K/N.
// A task alone in its array (first = last) whose index is not 1: a task of a
// larger array run again by itself. It keeps its index K, but N is lost.
struct LoneArrayTask {
    long long index = 0;  // 0: not such a task
    std::string reason;   // naming the variables
};

// False with a one-line reason naming option. For a lone task, lone is
// filled in and shard is 1/1, which the caller must not run.
bool shard_of_array_task(const std::string& option, Shard& shard, LoneArrayTask& lone,
                         std::string& error);

}  // namespace morbilex::batch
