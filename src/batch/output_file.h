// An output of morbilex-batch (the trace or the chart) that replaces what
// stood at its path only when all of it has been written.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace morbilex::batch {

// A regular file, or a path where nothing stands yet, is written to a new
// temporary file in the same folder and renamed over the target by commit(); a
// link to a regular file keeps the link and replaces the file it points to.
// Anything else (a device, a pipe, standard output as /dev/stdout) is written
// directly; the file of standard output or error (and "-", standard output)
// after what it holds. Nothing that stood at the
// path is ever removed: a failure leaves it as it was, and the temporary file goes.
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
    // Puts the finished file at path instead (beside the target).
    bool commit_as(const std::string& path, std::string& error);
    // Whether the output goes to a new file put in place by commit().
    bool replaces() const { return !temporary_.empty(); }

private:
    std::FILE* stream_ = nullptr;
    std::string target_;     // what the file replaces
    std::string temporary_;  // empty when written directly
    int litter_ = -1;        // the temporary's slot for a second signal
};

// The claim of one process on an output that replaces a file: FILE.lock,
// held with flock() and holding the pid, removed when the claim ends. A lock
// left by a killed process holds nothing and is taken over, and the
// temporaries that process left beside the output are removed. Where the
// file system has no locks the output goes unlocked, with a warning. The
// build for node takes no lock (it has no flock()), but still removes the
// temporaries of processes that are gone.
class OutputLock {
public:
    OutputLock() = default;
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
    ~OutputLock();

    // flock() or a stand-in for it.
    using LockCall = int (*)(int descriptor, int operation);

    // Takes the lock of the output at path (nothing for standard output and
    // devices); false with "OPTIONPATH: ..." when another process holds it.
    bool take(const std::string& option, const std::string& path, std::string& error);
    bool take(const std::string& option, const std::string& path, std::string& error,
              LockCall lock_call);
    // Why the output goes unlocked, when it does; empty otherwise.
    const std::string& warning() const { return warning_; }

private:
    std::string path_;
    int descriptor_ = -1;
    int litter_ = -1;
    std::string warning_;
};

// Opens output at path, fills it and finishes it, ready for commit(); false
// with "OPTIONPATH: the file could not be written (reason)", option being
// such as "--chart=".
bool prepare_output(PendingOutput& output, const std::string& option, const std::string& path,
                    const std::function<bool(std::FILE*)>& fill, std::string& error);
// The same with the bytes of the whole file.
bool prepare_output(PendingOutput& output, const std::string& option, const std::string& path,
                    const std::string& bytes, std::string& error);

// Options and their paths, such as {"--trace=", "out.dat"}: false with the
// reason when two name the same file (only the last would stay). Standard
// output and devices may be shared.
bool outputs_are_distinct(const std::vector<std::pair<std::string, std::string>>& outputs,
                          std::string& error);

// Writes text to standard output, flushed; false when it cannot take it all.
bool print_to_standard_output(const std::string& text);

// "morbilex-batch: TEXT" on standard error, for what does not stop the run.
void print_note(const std::string& text);

}  // namespace morbilex::batch
