// No compression in the web build: streams never start.
#include "zlib.h"

int deflateInit2(z_streamp stream, int, int, int, int, int) {
    stream->msg = "compression is not available in this build";
    return Z_STREAM_ERROR;
}
int deflate(z_streamp, int) {
    return Z_STREAM_ERROR;
}
int deflateEnd(z_streamp) {
    return Z_OK;
}

gzFile gzopen(const char*, const char*) {
    return nullptr;
}
gzFile gzdopen(int, const char*) {
    return nullptr;
}
int gzbuffer(gzFile, unsigned) {
    return -1;
}
z_off_t gzseek(gzFile, z_off_t, int) {
    return -1;
}
int gzread(gzFile, void*, unsigned) {
    return -1;
}
const char* gzerror(gzFile, int* code) {
    *code = Z_STREAM_ERROR;
    return "compression is not available in this build";
}
int gzclose(gzFile) {
    return Z_STREAM_ERROR;
}
