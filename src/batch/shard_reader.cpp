#include "batch/shard_reader.h"

#include <fcntl.h>
#include <sys/resource.h>
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

void ShardReader::close() {
    if (fd_ < 0) return;
    ::close(fd_);
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
        open_->open_.erase(place_);
        error = path_ + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
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
    buffer_.resize(kept + block_);
    ssize_t got = 0;
    do {
        got = ::pread(fd_, buffer_.data() + kept, block_, offset_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        buffer_.resize(kept);
        error = path_ + ": the file could not be read (" + std::strerror(errno) + ")";
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
    if (buffer_.size() == start_) return false;
    line = std::string_view(buffer_).substr(start_);
    last_ = start_;
    start_ = buffer_.size();
    cut = true;
    return false;
}

}  // namespace morbilex::batch
