#include "analysis/sweep_runner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "analysis/lane_kernel.h"
#include "analysis/run_figures.h"

namespace morbilex {
namespace {

// Scenarios of one block, integrated together (the lane kernel's batch).
constexpr long long LARGEST_BLOCK = 64;

#if !defined(MORBILEX_SWEEP_WITHOUT_THREADS)
// Finished blocks waiting for their turn, per thread: bounds the memory.
constexpr long long BLOCKS_AHEAD_PER_JOB = 4;
constexpr auto POLL = std::chrono::milliseconds(100);

// The blocks of a sweep between the workers and the writer.
class BlockQueue {
public:
    BlockQueue(long long blocks, long long ahead) : blocks_(blocks), ahead_(ahead) {}

    // The next block to work on, or -1 when there is none or the sweep stops.
    long long take(const std::atomic<bool>* stop) {
        std::unique_lock lock(mutex_);
        if (halted(stop) || next_taken_ >= blocks_) return -1;
        const long long block = next_taken_++;
        while (block >= next_written_ + ahead_ && !halted(stop))
            space_.wait_for(lock, POLL);
        return halted(stop) ? -1 : block;
    }

    void deliver(long long block, std::string&& rows) {
        {
            std::lock_guard lock(mutex_);
            finished_.emplace(block, std::move(rows));
        }
        ready_.notify_all();
    }

    // The first failure stops the sweep and is the one told.
    void fail(const ScenarioRefusal* refused) {
        {
            std::lock_guard lock(mutex_);
            if (!failed_) {
                if (refused != nullptr) refused_ = *refused;
                write_failed_ = refused == nullptr;
            }
            failed_ = true;
        }
        ready_.notify_all();
        space_.notify_all();
    }

    void worker_done() {
        {
            std::lock_guard lock(mutex_);
            ++workers_done_;
        }
        ready_.notify_all();
    }

    // The rows of the next block in order; false when it will never come.
    bool next_rows(int workers, std::string& rows) {
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto found = finished_.find(next_written_);
            if (found != finished_.end()) {
                rows = std::move(found->second);
                finished_.erase(found);
                ++next_written_;
                space_.notify_all();
                return true;
            }
            if (workers_done_ == workers || next_written_ >= blocks_) return false;
            ready_.wait_for(lock, POLL);
        }
    }

    void tell_failure(SweepOutcome& outcome) {
        std::lock_guard lock(mutex_);
        outcome.refused = refused_;
        outcome.write_failed = write_failed_;
    }

private:
    bool halted(const std::atomic<bool>* stop) const {
        return failed_ || (stop != nullptr && stop->load());
    }

    std::mutex mutex_;
    std::condition_variable ready_, space_;
    std::map<long long, std::string> finished_;
    const long long blocks_, ahead_;
    long long next_taken_ = 0, next_written_ = 0;
    int workers_done_ = 0;
    bool failed_ = false;
    std::optional<ScenarioRefusal> refused_;
    bool write_failed_ = false;
};
#endif

struct SweepShape {
    long long total = 0;   // scenarios of the whole grid
    long long ours = 0;    // of the shard
    long long block = 1;   // scenarios per block
    long long blocks = 0;  // of the shard
};

SweepShape shape_of(const SweepPlan& plan, const SweepSettings& settings) {
    SweepShape shape;
    shape.total = plan.grid.size();
    shape.ours = std::max(0LL, settings.shard.size(shape.total) - settings.skip);
    // At least one batch of the lane kernel: a smaller block would integrate
    // padding lanes.
    const long long lanes = widest_lane_kernel().lanes;
    shape.block = std::clamp<long long>(shape.ours / (8LL * settings.jobs), lanes, LARGEST_BLOCK);
    shape.blocks = (shape.ours + shape.block - 1) / shape.block;
    return shape;
}

// What one worker reuses from block to block.
struct BlockWork {
    BlockWork(const SweepPlan& plan, const SweepShape& shape)
        : builder(plan), inputs(shape.block), figures(shape.block) {}
    ScenarioBuilder builder;
    std::vector<ScenarioInputs> inputs;
    std::vector<RunFigures> figures;
    SummaryRow row;
};

// One block's scenarios set up, integrated together and summed up into rows;
// false with refused filled in when a scenario is refused.
bool work_block(const SweepPlan& plan, const SweepSettings& settings, const SweepShape& shape,
                long long block, BlockWork& work, std::string& rows, ScenarioRefusal& refused) {
    const long long first = block * shape.block;
    const long long count = std::min(shape.block, shape.ours - first);
    for (long long k = 0; k < count; ++k) {
        if (!work.builder.build(settings.shard.run_id(settings.skip + first + k), work.inputs[k],
                                refused))
            return false;
    }
    integrate_run_figures(std::span(work.inputs).first(count),
                          std::span(work.figures).first(count));
    rows.clear();
    if (settings.rows) rows.reserve(static_cast<std::size_t>(count) * 512);
    for (long long k = 0; k < count; ++k) {
        const long long run_id = settings.shard.run_id(settings.skip + first + k);
        summarise_run(work.inputs[k], work.figures[k], work.row);
        if (settings.rows && settings.json_lines) {
            append_sweep_json_row(rows, plan.grid, run_id, work.row);
        } else if (settings.rows) {
            append_sweep_csv_row(rows, plan.grid, run_id, work.row);
        }
        if (settings.on_scenario) {
            settings.on_scenario({run_id, work.row, work.figures[k].first_non_finite_row < 0});
        }
    }
    return true;
}

#if !defined(MORBILEX_SWEEP_WITHOUT_THREADS)
// One thread: blocks of scenarios set up, integrated together, summed up.
void work(const SweepPlan& plan, const SweepSettings& settings, const SweepShape& shape,
          BlockQueue& queue) {
    BlockWork work(plan, shape);
    ScenarioRefusal refused;
    std::string rows;
    for (long long block; (block = queue.take(settings.stop)) >= 0;) {
        if (!work_block(plan, settings, shape, block, work, rows, refused)) {
            queue.fail(&refused);
            break;
        }
        queue.deliver(block, std::move(rows));
    }
    queue.worker_done();
}
#endif

}  // namespace

#if defined(MORBILEX_SWEEP_WITHOUT_THREADS)
// A build without threads (the web's) works through the blocks in order on
// the calling thread: the same rows, written block by block.
SweepOutcome run_sweep(const SweepPlan& plan, const SweepSettings& settings, RowSink& sink) {
    const SweepShape shape = shape_of(plan, settings);
    BlockWork work(plan, shape);
    ScenarioRefusal refused;
    std::string rows;
    SweepOutcome outcome;
    for (long long block = 0; block < shape.blocks; ++block) {
        if (settings.stop != nullptr && settings.stop->load()) break;
        if (!work_block(plan, settings, shape, block, work, rows, refused)) {
            outcome.refused = refused;
            break;
        }
        if (!sink.write(rows)) {
            outcome.write_failed = true;
            break;
        }
        outcome.rows_written = std::min((block + 1) * shape.block, shape.ours);
        sink.progress(outcome.rows_written, shape.ours);
    }
    outcome.complete =
        !outcome.refused && !outcome.write_failed && outcome.rows_written == shape.ours;
    return outcome;
}
#else
SweepOutcome run_sweep(const SweepPlan& plan, const SweepSettings& settings, RowSink& sink) {
    const SweepShape shape = shape_of(plan, settings);
    const int workers = static_cast<int>(std::clamp<long long>(shape.blocks, 1, settings.jobs));
    BlockQueue queue(shape.blocks, BLOCKS_AHEAD_PER_JOB * workers);
    std::vector<std::thread> threads;
    for (int k = 0; k < workers; ++k)
        threads.emplace_back(work, std::cref(plan), std::cref(settings), std::cref(shape),
                             std::ref(queue));
    SweepOutcome outcome;
    long long blocks_written = 0;
    std::string rows;
    while (queue.next_rows(workers, rows)) {
        if (!sink.write(rows)) {
            queue.fail(nullptr);
            break;
        }
        ++blocks_written;
        outcome.rows_written = std::min(blocks_written * shape.block, shape.ours);
        sink.progress(outcome.rows_written, shape.ours);
    }
    for (std::thread& thread : threads)
        thread.join();
    queue.tell_failure(outcome);
    outcome.complete =
        !outcome.refused && !outcome.write_failed && outcome.rows_written == shape.ours;
    return outcome;
}
#endif

}  // namespace morbilex
