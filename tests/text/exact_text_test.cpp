// The room's own digit algorithms against the C and C++ libraries over
// millions of doubles: random bit patterns (subnormals, huge values and every
// exponent alike), decimal-looking values and their neighbours.
#include "text/big_number.h"
#include "text/shortest.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace morbilex {
namespace {

double from_bits(std::uint64_t bits) {
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

TEST(WideProduct, PortableHalvesEqualTheCompilersProduct) {
    std::mt19937_64 generator(5);
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t a = generator() >> (i % 64), b = generator() >> (i / 64 % 64);
        const text_detail::Wide portable = text_detail::multiply_portable(a, b);
        const text_detail::Wide native = text_detail::multiply_wide(a, b);
        ASSERT_EQ(portable.low, native.low) << a << " * " << b;
        ASSERT_EQ(portable.high, native.high) << a << " * " << b;
    }
}

TEST(ShortestText, EqualsToCharsForMillionsOfDoubles) {
    DoubleSource values(11);
    for (int i = 0; i < 4000000; ++i) {
        const double value = values.next();
        char ours[SHORTEST_TEXT_LIMIT + 1];
        char reference[64];
        *write_shortest(ours, value) = '\0';
        *std::to_chars(reference, reference + sizeof reference, value).ptr = '\0';
        ASSERT_STREQ(ours, reference) << std::hexfloat << value;
    }
}

TEST(ShortestText, WholeNumbersPowersAndSpecialValues) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  5e-324,
                                  2.2250738585072014e-308,
                                  1.7976931348623157e308,
                                  HUGE_VAL,
                                  -HUGE_VAL,
                                  0.1,
                                  1e21,
                                  1e22,
                                  1e23,
                                  123456789012345680000.0};
    for (int e = -1074; e <= 1023; ++e) {
        values.push_back(std::ldexp(1.0, e));
        values.push_back(std::nextafter(std::ldexp(1.0, e), 0.0));
    }
    for (double power = 1; power < 1e25; power *= 10) {
        for (double value : {power, power - 1, power + 1, 9.5 * power})
            values.push_back(value);
    }
    for (double value : values) {
        char ours[SHORTEST_TEXT_LIMIT + 1];
        char reference[64];
        *write_shortest(ours, value) = '\0';
        *std::to_chars(reference, reference + sizeof reference, value).ptr = '\0';
        ASSERT_STREQ(ours, reference) << std::hexfloat << value;
    }
    std::string text;
    append_shortest(text, -std::nan(""));
    append_shortest(text, 1e-7);
    EXPECT_EQ(text, "nan1e-07");
}

}  // namespace
}  // namespace morbilex
