// The room's own digit algorithms against the C and C++ libraries over
// millions of doubles: random bit patterns (subnormals, huge values and every
// exponent alike), decimal-looking values and their neighbours.
#include "text/big_number.h"
#include "text/format.h"
#include "text/read.h"
#include "text/shortest.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

// The standard library's shortest text, the reference; a library without
// floating-point to_chars (the web build's) skips the comparisons.
#if defined(__cpp_lib_to_chars)
#define MORBILEX_SKIP_WITHOUT_TO_CHARS()
char* reference_shortest(char* first, std::size_t size, double value) {
    return std::to_chars(first, first + size, value).ptr;
}
#else
#define MORBILEX_SKIP_WITHOUT_TO_CHARS() GTEST_SKIP() << "no floating-point std::to_chars"
char* reference_shortest(char* first, std::size_t, double) {
    return first;
}
#endif

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
    MORBILEX_SKIP_WITHOUT_TO_CHARS();
    DoubleSource values(11);
    for (int i = 0; i < 4000000; ++i) {
        const double value = values.next();
        char ours[SHORTEST_TEXT_LIMIT + 1];
        char reference[64];
        *write_shortest(ours, value) = '\0';
        *reference_shortest(reference, sizeof reference, value) = '\0';
        ASSERT_STREQ(ours, reference) << std::hexfloat << value;
    }
}

TEST(ShortestText, WholeNumbersPowersAndSpecialValues) {
    MORBILEX_SKIP_WITHOUT_TO_CHARS();
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
        *reference_shortest(reference, sizeof reference, value) = '\0';
        ASSERT_STREQ(ours, reference) << std::hexfloat << value;
    }
    std::string text;
    append_shortest(text, -std::nan(""));
    append_shortest(text, 1e-7);
    EXPECT_EQ(text, "nan1e-07");
}

// strtod is what "%lf" reads; the program refuses what is not finite.
void expect_read_like_strtod(const char* text) {
    char* end = nullptr;
    const double reference = std::strtod(text, &end);
    const bool expected = end != text && std::isfinite(reference);
    double ours = 0.0;
    ASSERT_EQ(read_leading_number(text, ours), expected) << "'" << text << "'";
    if (expected) {
        ASSERT_EQ(std::memcmp(&ours, &reference, sizeof ours), 0)
            << "'" << text << "': " << std::hexfloat << ours << " vs " << reference;
    }
}

TEST(ReadNumberAgainstStrtod, MillionsOfPrintedDoubles) {
    DoubleSource values(12);
    std::mt19937_64 generator(13);
    char text[64];
    for (int i = 0; i < 1000000; ++i) {
        const double value = values.next();
        const int digits = static_cast<int>(generator() % 20) + 1;  // short, 17 and too many
        std::snprintf(text, sizeof text, i % 8 == 0 ? "%.*a" : "%.*g", digits, value);
        expect_read_like_strtod(text);
    }
}

// The exact midpoints between neighbouring doubles, and the texts a digit
// past them on either side: the cases only an exact comparison decides.
TEST(ReadNumberAgainstStrtod, HalfwayPointsAndLongTexts) {
    if (LDBL_MANT_DIG < 64) GTEST_SKIP() << "no long double to hold the midpoints";
    std::mt19937_64 generator(14);
    std::vector<char> text(1200);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t bits = generator() >> 1;
        if (i % 4 == 0) bits &= 0x001fffffffffffffULL;  // subnormal and smallest normal
        if (i % 4 == 1) bits = (bits & 0x3ffULL) << 43 | 0x4330000000000000ULL;  // near 2^52
        const double value = from_bits(bits);
        const double next = std::nextafter(value, HUGE_VAL);
        if (!std::isfinite(next)) continue;
        const long double middle = (static_cast<long double>(value) + next) / 2;
        const int length = std::snprintf(text.data(), text.size(), "%.780Le", middle);
        ASSERT_LT(length, 1100);
        expect_read_like_strtod(text.data());
        // Cut to its significant digits, and past them: a digit more or less.
        std::string digits(text.data());
        const std::size_t marker = digits.find('e');
        std::string mantissa = digits.substr(0, marker);
        while (mantissa.back() == '0')
            mantissa.pop_back();
        const std::string exponent = digits.substr(marker);
        expect_read_like_strtod((mantissa + "0000000000001" + exponent).c_str());
        std::string below = mantissa;
        below.back() = static_cast<char>(below.back() - 1);  // the last is no zero
        expect_read_like_strtod((below + "999999" + exponent).c_str());
        // The same number written with its point moved and zeros in front.
        expect_read_like_strtod(
            ("0.000" + mantissa.substr(0, 1) + mantissa.substr(2) + exponent + "1").c_str());
    }
    const char* const edges[] = {"2.4703282292062327e-324",
                                 "2.4703282292062328e-324",
                                 "1.7976931348623158e308",
                                 "1.7976931348623157e308",
                                 "0x1.fffffffffffff7p1023",
                                 "0x1.fffffffffffff8p1023",
                                 "0x.8p-1074",
                                 "0x.80000000000000001p-1074",
                                 "0x1p-1075",
                                 "0x3p-1076",
                                 "0x1.00000000000008p0",
                                 "0x1.000000000000080000001p0",
                                 "9007199254740993",
                                 "9007199254740992.5",
                                 "1e23",
                                 "123456789012345678901234567890e-330",
                                 "0.000000000000000000000000000000000000001e39",
                                 "1e-400",
                                 "1e400",
                                 "0e99999999999999999"};
    for (const char* edge : edges) {
#ifdef __MINGW32__
        // mingw's strtod rounds a hexadecimal text just above half the
        // smallest subnormal down to zero; the exact value rounds up.
        if (std::string_view(edge) == "0x.80000000000000001p-1074") {
            double ours = 0.0;
            EXPECT_TRUE(read_leading_number(edge, ours) && ours == 0x1p-1074);
            continue;
        }
#endif
        expect_read_like_strtod(edge);
    }
}

// The whole-field reader refuses what from_chars refused: signs after '+',
// anything after the number, hexadecimal, underflow to zero and overflow.
TEST(ReadFullNumber, AcceptsExactlyOneFiniteDecimal) {
    struct Case {
        const char* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {{"2.5", true, 2.5},       {"+2.5", true, 2.5}, {"-2.5", true, -2.5},
                          {"+-2.5", true, -2.5},    {".5", true, 0.5},   {"5.", true, 5},
                          {"1e-310", true, 1e-310}, {"1E3", true, 1000}, {"++2", false, 0},
                          {"-+2", false, 0},        {"2.5 ", false, 0},  {" 2.5", false, 0},
                          {"1e", false, 0},         {"1e+", false, 0},   {".", false, 0},
                          {"0x10", false, 0},       {"inf", false, 0},   {"nan", false, 0},
                          {"1e-400", false, 0},     {"1e400", false, 0}, {"", false, 0}};
    for (const Case& c : cases) {
        double value = -7.0;
        EXPECT_EQ(read_full_number(c.text, value), c.accepted) << "'" << c.text << "'";
        EXPECT_EQ(value, c.accepted ? c.value : -7.0) << "'" << c.text << "'";
    }
}

// The general conversions of format_text against glibc's exact printf: every
// conversion, precisions up to the limit, exact binary ties such as k / 2^j
// that must round to even, random bit patterns across the whole range.
TEST(FormatTextAgainstPrintf, EveryConversionAndPrecisionOverTheWholeRange) {
#if !defined(__GLIBC__)
    GTEST_SKIP() << "the C library here is not the reference";
#endif
    DoubleSource values(15);
    std::mt19937_64 generator(16);
    char format[16];
    char ours[FIXED_TEXT_LIMIT + 64];
    char reference[FIXED_TEXT_LIMIT + 64];
    for (int i = 0; i < 250000; ++i) {
        double value = values.next();
        if (i % 5 == 4) {  // a tie of the precision's last digit, or next to one
            value = std::ldexp(static_cast<double>(generator() % 100000) * 2 + 1,
                               -static_cast<int>(generator() % 12) - 1);
        }
        const char kind = "feg"[i % 3];
        const int precision = static_cast<int>(generator() % (FIXED_PRECISION_LIMIT + 1));
        std::snprintf(format, sizeof format, "%%.%d%c", precision, kind);
        format_text(ours, sizeof ours, format, {value});
        std::snprintf(reference, sizeof reference, format, value);
        ASSERT_STREQ(ours, reference) << format << " of " << std::hexfloat << value;
    }
}

}  // namespace
}  // namespace morbilex
