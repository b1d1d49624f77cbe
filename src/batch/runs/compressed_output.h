// Rows written to a file as they are, or gzip-compressed when its name ends in .gz.
#pragma once

#include <zlib.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace morbilex::batch {

// Whether a file named path holds gzip-compressed text.
bool is_compressed_path(std::string_view path);

// The bytes given go to the file, or through deflate into a gzip stream with
// no name and no time in its header, so that the same text makes the same
// bytes. The stream is ended by finish().
class CompressedOutput {
public:
    CompressedOutput(std::FILE* file, bool compressed);
    CompressedOutput(const CompressedOutput&) = delete;
    CompressedOutput& operator=(const CompressedOutput&) = delete;
    ~CompressedOutput();

    std::FILE* file() const { return file_; }
    bool compressed() const { return compressed_; }
    // False when the file did not take all of it.
    bool write(std::string_view bytes);
    // The text and a newline.
    bool line(std::string_view text);
    // Ends the compressed stream (nothing for plain text); false when the file
    // did not take it.
    bool finish();

private:
    bool deflate_pending(int flush);

    std::FILE* file_;
    bool compressed_;
    bool failed_ = false;
    z_stream stream_{};
    std::string pending_;
};

}  // namespace morbilex::batch
