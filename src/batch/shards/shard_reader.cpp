#include "batch/shards/shard_reader.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace morbilex::batch {

OpenShards::~OpenShards() {
    while (!open_.empty())
        open_.back()->close();
}

std::size_t OpenShards::allowed() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 64;
    const rlim_t margin = 16;
    return limit.rlim_cur <= margin + 1 ? 1 : std::min<rlim_t>(limit.rlim_cur - margin, 64);
}

void OpenShards::opened(ShardReader* reader) {
    while (open_.size() >= most_)
        open_.back()->close();
    open_.push_front(reader);
    reader->place_ = open_.begin();
}

void OpenShards::closed(ShardReader* reader) {
    open_.erase(reader->place_);
}

void OpenShards::used(ShardReader* reader) {
    open_.splice(open_.begin(), open_, reader->place_);
}

ShardReader::ShardReader(std::string path, OpenShards& open, std::size_t block)
    : path_(std::move(path)), open_(&open), block_(block < 64 ? 64 : block) {
    compressed_ = path_.size() > 3 && path_.compare(path_.size() - 3, 3, ".gz") == 0;
}

void ShardReader::close() {
    if (fd_ < 0) return;
    if (gz_ != nullptr) {
        gzclose(gz_);  // closes fd_ too
        gz_ = nullptr;
    } else {
        ::close(fd_);
    }
    fd_ = -1;
    open_->closed(this);
}

bool ShardReader::reopen(std::string& error) {
    if (fd_ >= 0) {
        open_->used(this);
        return true;
    }
    open_->opened(this);  // closing another first when need be
    do {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        open_->closed(this);
        error = path_ + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    if (!compressed_) {
        struct stat status {};
        if (fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) size_ = status.st_size;
        return true;
    }
    gz_ = gzdopen(fd_, "rb");
    if (gz_ == nullptr) {
        ::close(fd_);
        fd_ = -1;
        open_->closed(this);
        error = path_ + ": the file cannot be opened (no memory for its decompression)";
        return false;
    }
    gzbuffer(gz_, 16 * 1024);
    if (offset_ > 0 && gzseek(gz_, offset_, SEEK_SET) != offset_) {
        close();
        error = path_ + ": the file could not be read again (its compressed data changed?)";
        return false;
    }
    return true;
}

// Reads up to size bytes at the offset; -1 with error set on failure.
long long ShardReader::read(char* into, std::size_t size, std::string& error) {
    if (gz_ == nullptr) {
        ssize_t got = 0;
        do {
            got = ::pread(fd_, into, size, offset_);
        } while (got < 0 && errno == EINTR);
        if (got < 0) error = path_ + ": the file could not be read (" + std::strerror(errno) + ")";
        return got;
    }
    const int got = gzread(gz_, into, static_cast<unsigned>(size));
    int code = Z_OK;
    const char* reason = gzerror(gz_, &code);
    if (got < 0 || (got == 0 && code != Z_OK)) {
        error = path_ + (code == Z_BUF_ERROR
                             ? std::string(": the compressed file is cut short")
                             : ": the file could not be read (" + std::string(reason) + ")");
        return -1;
    }
    return got;
}

// Reads the next block after what is kept; false with error set when the
// file cannot be read. At its end the file is closed.
bool ShardReader::fill(std::string& error) {
    if (ended_) return true;
    if (!reopen(error)) return false;
    buffer_.erase(0, start_);
    last_ -= std::min(last_, start_);
    start_ = 0;
    const std::size_t kept = buffer_.size();
    // No more than the rest of a plain file (and a byte to see its end).
    const std::size_t want =
        size_ > offset_
            ? std::min<std::size_t>(block_, static_cast<std::size_t>(size_ - offset_) + 1)
        : size_ >= 0 ? 1
                     : block_;
    // Grown to just what is needed: a string's own growth would double it.
    if (buffer_.capacity() < kept + want) {
        std::string larger;
        larger.reserve(kept + want);
        larger.assign(buffer_);
        buffer_.swap(larger);
    }
    buffer_.resize(kept + want);
    const long long got = read(buffer_.data() + kept, want, error);
    if (got < 0) {
        buffer_.resize(kept);
        return false;
    }
    buffer_.resize(kept + static_cast<std::size_t>(got));
    offset_ += got;
    if (got == 0) {
        ended_ = true;
        close();
    }
    return true;
}

bool ShardReader::empty(bool& is_empty, std::string& error) {
    while (buffer_.size() == start_ && !ended_) {
        if (!fill(error)) return false;
    }
    is_empty = buffer_.size() == start_;
    return true;
}

bool ShardReader::next(std::string_view& line, bool& cut, std::string& error) {
    cut = false;
    if (again_) {
        again_ = false;
        line = std::string_view(buffer_).substr(last_, start_ - 1 - last_);
        return true;
    }
    std::size_t searched = start_;
    while (true) {
        const std::size_t end = buffer_.find('\n', searched);
        if (end != std::string::npos) {
            last_ = start_;
            start_ = end + 1;
            line = std::string_view(buffer_).substr(last_, end - last_);
            return true;
        }
        if (ended_) break;
        searched = buffer_.size() - start_;  // after the compaction fill() does
        if (!fill(error)) return false;
    }
    if (buffer_.size() == start_) {
        std::string().swap(buffer_);  // read to its end: nothing more to keep
        start_ = last_ = 0;
        return false;
    }
    line = std::string_view(buffer_).substr(start_);
    last_ = start_;
    start_ = buffer_.size();
    cut = true;
    return false;
}

}  // namespace morbilex::batch
