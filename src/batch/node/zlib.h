// The part of zlib's interface morbilex-batch uses, for the web build, which
// has no zlib: every stream fails to start, so a .gz output or input is
// refused as a file that cannot be written or opened.
#pragma once

#include <cstddef>

using Bytef = unsigned char;
using uInt = unsigned int;
using uLong = unsigned long;
using z_off_t = long;

struct z_stream {
    Bytef* next_in = nullptr;
    uInt avail_in = 0;
    Bytef* next_out = nullptr;
    uInt avail_out = 0;
    uLong total_in = 0;
    uLong total_out = 0;
    const char* msg = nullptr;
};
using z_streamp = z_stream*;

inline constexpr int Z_OK = 0;
inline constexpr int Z_STREAM_END = 1;
inline constexpr int Z_STREAM_ERROR = -2;
inline constexpr int Z_BUF_ERROR = -5;
inline constexpr int Z_NO_FLUSH = 0;
inline constexpr int Z_FINISH = 4;
inline constexpr int Z_DEFAULT_COMPRESSION = -1;
inline constexpr int Z_DEFLATED = 8;
inline constexpr int Z_DEFAULT_STRATEGY = 0;

int deflateInit2(z_streamp stream, int level, int method, int window_bits, int memory_level,
                 int strategy);
int deflate(z_streamp stream, int flush);
int deflateEnd(z_streamp stream);

struct gzFile_s;
using gzFile = gzFile_s*;
gzFile gzopen(const char* path, const char* mode);
gzFile gzdopen(int fd, const char* mode);
int gzbuffer(gzFile file, unsigned size);
z_off_t gzseek(gzFile file, z_off_t offset, int whence);
int gzread(gzFile file, void* into, unsigned length);
const char* gzerror(gzFile file, int* code);
int gzclose(gzFile file);
