// Reading many files line by line with few of them open at once: each keeps
// a block of what comes next and where it stands in the file; a file whose
// block is used up is opened again (closing the one used least lately when
// the open files are at their limit) and read on from there. A file whose
// name ends in .gz is read through zlib (reopening one decompresses again up
// to where it stood).
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>

#include <zlib.h>

namespace morbilex::batch {

class ShardReader;

// The files open at once, at most `most` of them.
class OpenShards {
public:
    explicit OpenShards(std::size_t most) : most_(most < 1 ? 1 : most) {}
    OpenShards(const OpenShards&) = delete;
    OpenShards& operator=(const OpenShards&) = delete;
    ~OpenShards();

    // What the process may have open (RLIMIT_NOFILE) less a margin for the
    // output and the rest, between 1 and 64.
    static std::size_t allowed();

private:
    friend class ShardReader;
    void opened(ShardReader* reader);
    void closed(ShardReader* reader);
    void used(ShardReader* reader);

    std::size_t most_;
    std::list<ShardReader*> open_;  // the one used last first
};

class ShardReader {
public:
    // block: how many bytes to read at a time (more only for a longer line).
    ShardReader(std::string path, OpenShards& open, std::size_t block);
    ShardReader(const ShardReader&) = delete;
    ShardReader& operator=(const ShardReader&) = delete;
    ~ShardReader() { close(); }

    const std::string& path() const { return path_; }
    // Whether the file has no byte at all; false with error set when it
    // cannot be opened or read.
    bool empty(bool& is_empty, std::string& error);
    // The next line without its end; false at the end (error empty) or with
    // the reason: the file cannot be read, or its last line has no end
    // ("cut" set, line holding what there is).
    bool next(std::string_view& line, bool& cut, std::string& error);
    // The next next() gives the line it gave last again.
    void again() { again_ = true; }

private:
    friend class OpenShards;
    bool fill(std::string& error);
    bool reopen(std::string& error);
    long long read(char* into, std::size_t size, std::string& error);
    void close();

    std::string path_;
    OpenShards* open_;
    std::size_t block_;
    bool compressed_ = false;
    int fd_ = -1;
    gzFile gz_ = nullptr;
    long long offset_ = 0;  // in the file, of what is read next
    long long size_ = -1;   // of a plain file when opened
    bool ended_ = false;    // read to its end
    std::string buffer_;    // read, from start_ on not yet given
    std::size_t start_ = 0;
    std::size_t last_ = 0;  // where the line given last starts
    bool again_ = false;
    std::list<ShardReader*>::iterator place_;
};

}  // namespace morbilex::batch
