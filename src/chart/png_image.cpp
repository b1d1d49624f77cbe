#include "chart/png_image.h"

#include <array>
#include <cstddef>
#include <vector>

namespace morbilex {
namespace {

constexpr int LARGEST_SIDE = 32767;
constexpr int SHORTEST_MATCH = 3;
constexpr int LONGEST_MATCH = 258;

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    for (std::size_t i = 0; i < count; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint32_t adler32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void put_big_endian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void put_chunk(std::string& out, const char* type, const std::string& data) {
    put_big_endian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += data;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data() + start);
    put_big_endian(out, crc32_update(0xFFFFFFFFu, bytes, out.size() - start) ^ 0xFFFFFFFFu);
}

// Deflate's bit stream: values least significant bit first, Huffman codes
// most significant bit first.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bit((value >> i) & 1);
    }
    void code(std::uint32_t value, int length) {
        for (int i = length - 1; i >= 0; --i)
            bit((value >> i) & 1);
    }
    std::string finish() {
        if (used_ != 0) bytes_.push_back(static_cast<char>(current_));
        return std::move(bytes_);
    }

private:
    void bit(std::uint32_t value) {
        current_ |= value << used_;
        if (++used_ == 8) {
            bytes_.push_back(static_cast<char>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    std::string bytes_;
    std::uint32_t current_ = 0;
    int used_ = 0;
};

// The fixed Huffman code of a literal or length symbol (0 to 287).
void put_symbol(BitWriter& out, int symbol) {
    if (symbol < 144) {
        out.code(0x30 + symbol, 8);
    } else if (symbol < 256) {
        out.code(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        out.code(symbol - 256, 7);
    } else {
        out.code(0xC0 + symbol - 280, 8);
    }
}

// A (code, extra bits, base) table entry of deflate's lengths or distances.
struct Range {
    int code;
    int extra;
    int base;
};

Range length_range(int length) {
    static constexpr int BASES[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr int EXTRA[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int index = 28;
    while (BASES[index] > length)
        --index;
    return {257 + index, EXTRA[index], BASES[index]};
}

Range distance_range(int distance) {
    int code = 0;
    int base = 1;
    int extra = 0;
    // Codes come in pairs from code 4 on, each pair doubling the span.
    while (true) {
        const int span = 1 << extra;
        if (distance < base + span) break;
        base += span;
        ++code;
        if (code >= 4 && code % 2 == 0) ++extra;
    }
    return {code, extra, base};
}

int match_length(const std::vector<std::uint8_t>& data, std::size_t at, std::size_t distance) {
    if (distance > at) return 0;
    int length = 0;
    while (length < LONGEST_MATCH && at + length < data.size() &&
           data[at + length] == data[at + length - distance]) {
        ++length;
    }
    return length;
}

// One fixed-Huffman block whose matches repeat the pixel before or the row above.
std::string deflate(const std::vector<std::uint8_t>& data, std::size_t row_bytes) {
    BitWriter out;
    out.bits(0x78, 8);  // zlib header: deflate, 32 KiB window
    out.bits(0x01, 8);
    out.bits(1, 1);  // the last block
    out.bits(1, 2);  // fixed Huffman codes
    const std::size_t distances[] = {3, row_bytes};
    for (std::size_t at = 0; at < data.size();) {
        int best = 0;
        std::size_t best_distance = 0;
        for (std::size_t distance : distances) {
            if (distance > 32768) continue;
            const int length = match_length(data, at, distance);
            if (length > best) {
                best = length;
                best_distance = distance;
            }
        }
        if (best < SHORTEST_MATCH) {
            put_symbol(out, data[at]);
            ++at;
            continue;
        }
        const Range length = length_range(best);
        put_symbol(out, length.code);
        out.bits(best - length.base, length.extra);
        const Range distance = distance_range(static_cast<int>(best_distance));
        out.code(distance.code, 5);
        out.bits(static_cast<std::uint32_t>(best_distance) - distance.base, distance.extra);
        at += best;
    }
    put_symbol(out, 256);
    std::string stream = out.finish();
    put_big_endian(stream, adler32(data));
    return stream;
}

}  // namespace

std::string encode_png(int width, int height, std::span<const std::uint8_t> rgb) {
    if (width < 1 || height < 1 || width > LARGEST_SIDE || height > LARGEST_SIDE ||
        rgb.size() != static_cast<std::size_t>(width) * height * 3) {
        return "";
    }
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 3 + 1;
    std::vector<std::uint8_t> rows;
    rows.reserve(row_bytes * height);
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);  // no filter
        const auto row = rgb.subspan(static_cast<std::size_t>(y) * width * 3, width * 3);
        rows.insert(rows.end(), row.begin(), row.end());
    }
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    put_big_endian(header, static_cast<std::uint32_t>(width));
    put_big_endian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, plain
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", deflate(rows, row_bytes));
    put_chunk(png, "IEND", "");
    return png;
}

}  // namespace morbilex
