// Rows written to a file as they are, or gzip-compressed when its name ends in .gz.
#include "batch/runs/compressed_output.h"

namespace morbilex::batch {
namespace {

// The text gathered before deflate takes it, and the size of what deflate gives at once.
constexpr std::size_t BLOCK = 1 << 16;

}  // namespace

bool is_compressed_path(std::string_view path) {
    return path.size() > 3 && path.substr(path.size() - 3) == ".gz";
}

CompressedOutput::CompressedOutput(std::FILE* file, bool compressed)
    : file_(file), compressed_(compressed) {
    // windowBits 15 + 16: a gzip header, written by zlib with no name and time 0.
    if (compressed_) {
        failed_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                               Z_DEFAULT_STRATEGY) != Z_OK;
    }
}

CompressedOutput::~CompressedOutput() {
    if (compressed_) deflateEnd(&stream_);
}

bool CompressedOutput::write(std::string_view bytes) {
    if (!compressed_) return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    pending_ += bytes;
    if (pending_.size() >= BLOCK) return deflate_pending(Z_NO_FLUSH);
    return !failed_;
}

bool CompressedOutput::line(std::string_view text) {
    if (!compressed_) {
        return std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
               std::fputc('\n', file_) != EOF;
    }
    pending_ += text;
    pending_ += '\n';
    if (pending_.size() >= BLOCK) return deflate_pending(Z_NO_FLUSH);
    return !failed_;
}

bool CompressedOutput::finish() {
    if (!compressed_) return true;
    return deflate_pending(Z_FINISH);
}

bool CompressedOutput::deflate_pending(int flush) {
    if (failed_) return false;
    stream_.next_in = reinterpret_cast<Bytef*>(pending_.data());
    stream_.avail_in = static_cast<uInt>(pending_.size());
    unsigned char out[BLOCK];
    do {
        stream_.next_out = out;
        stream_.avail_out = sizeof out;
        const int status = deflate(&stream_, flush);
        if (status == Z_STREAM_ERROR) failed_ = true;
        const std::size_t size = sizeof out - stream_.avail_out;
        if (std::fwrite(out, 1, size, file_) != size) failed_ = true;
    } while (stream_.avail_out == 0 && !failed_);
    pending_.clear();
    return !failed_;
}

}  // namespace morbilex::batch
