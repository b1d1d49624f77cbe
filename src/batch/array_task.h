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
// False with a one-line reason naming option.
bool shard_of_array_task(const std::string& option, Shard& shard, std::string& error);

}  // namespace morbilex::batch
