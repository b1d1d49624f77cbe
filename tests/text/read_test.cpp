// The number readers against the C library's strtod and scanf.
#include "text/read.h"

#include "text/format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text_test_support.h"

namespace morbilex {
namespace {

using testing::DoubleSource;
using testing::from_bits;
using testing::HAVE_REFERENCE_PRINTF;

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

TEST(ReadLeadingNumber, ReadsLikeScanf) {
    struct Case {
        const char* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {
        {"2.5", true, 2.5},  {"  2.5", true, 2.5},    {"\t-3", true, -3},      {"+4e2", true, 400},
        {"2.5x", true, 2.5}, {"3.5 days", true, 3.5}, {".5", true, 0.5},       {"5.", true, 5},
        {"1e", true, 1},     {"1e+", true, 1},        {"0x10", true, 16},      {"0x1p4", true, 16},
        {"1e-400", true, 0}, {"-1e-400", true, -0.0}, {"0", true, 0},          {"x2.5", false, 0},
        {"", false, 0},      {"   ", false, 0},       {".", false, 0},         {"-", false, 0},
        {"+.e5", false, 0},  {"inf", false, 0},       {"-infinity", false, 0}, {"nan", false, 0},
        {"1e999", false, 0}, {"-1e999", false, 0},    {"2,5", true, 2},
    };
    for (const Case& c : cases) {
        double value = -12345.0;
        EXPECT_EQ(read_leading_number(c.text, value), c.accepted) << "'" << c.text << "'";
        const double expected = c.accepted ? c.value : -12345.0;
        EXPECT_EQ(value, expected) << "'" << c.text << "'";
    }
}

// Only an exponent marker starts an exponent: what follows a too-long number
// is no exponent that could make it small.
TEST(ReadLeadingNumber, TooLongNumbersWithoutExponentAreRefused) {
    double value = 1.0;
    EXPECT_FALSE(read_leading_number(std::string(400, '7') + "x-5", value));
    EXPECT_FALSE(read_leading_number("0x" + std::string(300, 'f') + "e-5", value));
    EXPECT_FALSE(read_leading_number(std::string(400, '7') + ".5.5e-9999", value));
    EXPECT_TRUE(read_leading_number("0x1p+-660", value));  // the exponent is no number
    EXPECT_EQ(value, 1.0);
    EXPECT_TRUE(read_leading_number("0." + std::string(400, '0') + "1x+5", value));
    EXPECT_EQ(value, 0.0);
}

TEST(ReadLeadingNumber, AgreesWithScanfOnFiniteNumbers) {
    if (!HAVE_REFERENCE_PRINTF) GTEST_SKIP() << "the C library here is not the reference";
    const char* const texts[] = {"123.456",   "  -0.001",
                                 "7e3x",      "1.7976931348623157e308",
                                 "4.9e-324",  "2.2250738585072011e-308",
                                 "0.1",       "00012",
                                 "1E5",       "9999.995",
                                 "  +.25e-2", "0X1.8p1",
                                 "1e-310"};
    for (const char* text : texts) {
        double expected = 0, value = 0;
        ASSERT_EQ(std::sscanf(text, "%lf", &expected), 1) << text;
        ASSERT_TRUE(read_leading_number(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

}  // namespace
}  // namespace morbilex
