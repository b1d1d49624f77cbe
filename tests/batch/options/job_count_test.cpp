// A sweep's threads against the CPUs the process may run on and the batch
// system's allocation.
#include <gtest/gtest.h>
#include <sched.h>

#include <cstdlib>

#include "batch/options/job_count.h"

namespace morbilex::batch {
namespace {

TEST(JobCount, FollowsTheAffinityMaskAndTheAllocation) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    const int cpus = CPU_COUNT(&all);
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    unsetenv("SLURM_CPUS_PER_TASK");
    EXPECT_EQ(default_job_count(), 1);
    EXPECT_EQ(largest_job_count(), JOBS_PER_CPU);
    setenv("SLURM_CPUS_PER_TASK", "3", 1);
    EXPECT_EQ(default_job_count(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(largest_job_count(), JOBS_PER_CPU * cpus);
    // Only a whole positive number counts.
    const struct {
        const char* value;
        int jobs;
    } allocations[] = {{"1", 1},     {"0", cpus}, {"-2", cpus},
                       {"2x", cpus}, {"", cpus},  {"99999", cpus}};
    for (const auto& allocation : allocations) {
        setenv("SLURM_CPUS_PER_TASK", allocation.value, 1);
        EXPECT_EQ(default_job_count(), allocation.jobs) << allocation.value;
    }
    unsetenv("SLURM_CPUS_PER_TASK");
    EXPECT_EQ(default_job_count(), cpus);
}

}  // namespace
}  // namespace morbilex::batch
