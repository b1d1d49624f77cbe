// An output of morbilex-batch (the trace or the chart) that replaces what
// stood at its path only when all of it has been written.
#pragma once

#include <cstdio>
#include <string>

namespace morbilex::batch {

// A regular file, or a path where nothing stands yet, is written to a new
// temporary file in the same folder and renamed over the target by commit(); a
// link to a regular file keeps the link and replaces the file it points to.
// Anything else (a device, a pipe, standard output as /dev/stdout) is written
// directly. Nothing that stood at the path is ever removed: a failure leaves
// it as it was, and the temporary file goes.
class PendingOutput {
public:
    PendingOutput() = default;
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput();

    // Opens the stream to write to; false with the reason in error.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return stream_; }
    // Writes what is buffered, to the disk, and closes; false with the reason.
    bool finish(std::string& error);
    // Puts the finished file in place; false with the reason.
    bool commit(std::string& error);

private:
    std::FILE* stream_ = nullptr;
    std::string target_;     // what the file replaces
    std::string temporary_;  // empty when written directly
};

}  // namespace morbilex::batch
