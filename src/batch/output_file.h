// A file written under a temporary name next to its place and renamed into
// it when complete, so a failed write never leaves half a file behind. What
// is not a regular file (a device such as /dev/null, a pipe, a symbolic link)
// is written in place instead.
#pragma once

#include <cstdio>
#include <string>

namespace morbilex::batch {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False with a one-line reason when no temporary file can be made.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return stream_; }
    // Closes and renames into place; false with a reason (nothing is left).
    bool commit(std::string& error);

private:
    std::string path_, temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace morbilex::batch
