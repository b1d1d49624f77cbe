// What the text room's tests share: doubles that stress the digit algorithms
// (random bit patterns: subnormals, huge values and every exponent alike;
// decimal-looking values and their neighbours), and whether the C library
// here is the reference for printf and scanf.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace morbilex::testing {

// glibc's printf rounds exactly (ties to even), which is what the program
// writes on every platform. The Windows C library does not; the tests built
// for Windows use mingw's own exact printf and scanf instead.
#if defined(__GLIBC__) || (defined(__USE_MINGW_ANSI_STDIO) && __USE_MINGW_ANSI_STDIO)
inline constexpr bool HAVE_REFERENCE_PRINTF = true;
#else
inline constexpr bool HAVE_REFERENCE_PRINTF = false;
#endif

inline double from_bits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Random bit patterns, then short decimals k * 10^e and their neighbours.
class DoubleSource {
public:
    explicit DoubleSource(std::uint64_t seed) : generator_(seed) {}
    double next() {
        const std::uint64_t bits = generator_();
        switch (count_++ % 4) {
            case 0:
                return from_bits(bits);
            case 1:  // subnormals and the smallest normals
                return from_bits((bits & 0x801fffffffffffffULL));
            default: {
                const double decimal = static_cast<double>(bits % 100000000 + 1) *
                                       std::pow(10.0, static_cast<int>(bits >> 40) % 60 - 30);
                const int step = static_cast<int>(bits >> 60) % 3;
                return step == 0 ? decimal : std::nextafter(decimal, step == 1 ? 0.0 : 1e308);
            }
        }
    }

private:
    std::mt19937_64 generator_;
    long long count_ = 0;
};

}  // namespace morbilex::testing
