// A sweep's rows to a stream, with a progress line on a terminal's standard error.
#pragma once

#include <chrono>
#include <cstdio>
#include <string_view>

#include "analysis/sweep_runner.h"
#include "batch/runs/compressed_output.h"

namespace morbilex::batch {

class StreamSink : public RowSink {
public:
    explicit StreamSink(CompressedOutput& out);
    ~StreamSink() override { clear_progress(); }
    StreamSink(const StreamSink&) = delete;
    StreamSink& operator=(const StreamSink&) = delete;

    bool write(std::string_view rows) override;
    void progress(long long done, long long total) override;

private:
    using Clock = std::chrono::steady_clock;

    void clear_progress();

    CompressedOutput& out_;
    bool terminal_;
    bool rows_on_terminal_;
    bool shown_ = false;
    Clock::time_point start_ = Clock::now(), last_ = {};
};

}  // namespace morbilex::batch
