#include "batch/options/job_count.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "text/whole_number.h"

namespace morbilex::batch {

int usable_cpu_count() {
#if defined(__EMSCRIPTEN__)
    return 1;  // the web build sweeps on the one thread it has
#else
    // A mask of fixed size is too small on machines of many CPUs: grow it.
    for (int cpus = 1024; cpus <= 1 << 20; cpus *= 2) {
        cpu_set_t* mask = CPU_ALLOC(cpus);
        if (mask == nullptr) break;
        const std::size_t size = CPU_ALLOC_SIZE(cpus);
        const bool read = sched_getaffinity(0, size, mask) == 0;
        const int count = read ? CPU_COUNT_S(size, mask) : 0;
        CPU_FREE(mask);
        if (read) return std::max(1, count);
        if (errno != EINVAL) break;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
#endif
}

int default_job_count() {
    const int cpus = usable_cpu_count();
    const char* allocated = std::getenv("SLURM_CPUS_PER_TASK");
    if (allocated == nullptr) return cpus;
    long long count = 0;
    const bool whole = read_whole_number(allocated, count, 1) == WholeNumberReading::Read;
    return whole ? static_cast<int>(std::min<long long>(cpus, count)) : cpus;
}

int largest_job_count() {
    return JOBS_PER_CPU * usable_cpu_count();
}

}  // namespace morbilex::batch
