// How many threads a sweep runs on: as many as the CPUs this process may run
// on, which a scheduler's CPU set or a batch system's allocation can narrow.
#pragma once

namespace morbilex::batch {

// Threads --jobs allows for each CPU this process may run on.
inline constexpr int JOBS_PER_CPU = 4;

// The CPUs in this process's affinity mask; 1 at least.
int usable_cpu_count();

// A sweep's threads without --jobs: the usable CPUs, or SLURM_CPUS_PER_TASK
// when it is a smaller positive number.
int default_job_count();

// The largest --jobs: JOBS_PER_CPU for each usable CPU.
int largest_job_count();

}  // namespace morbilex::batch
