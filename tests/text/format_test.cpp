// The printf subset and the trace's fixed-point fields against the C
// library's exact printf.
#include "text/format.h"
#include "text/read.h"
#include "trace/trace_row.h"

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
using testing::HAVE_REFERENCE_PRINTF;

std::string ours(const char* format, double value) {
    char text[2048];
    format_text(text, sizeof text, format, {value});
    return text;
}

std::string reference(const char* format, double value) {
    char text[2048];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

TEST(FormatText, ExactTiesRoundToEven) {
    EXPECT_EQ(ours("%.2f", 2.125), "2.12");
    EXPECT_EQ(ours("%.2f", 2.375), "2.38");
    EXPECT_EQ(ours("%.2f", 0.125), "0.12");
    EXPECT_EQ(ours("%.0f", 0.5), "0");
    EXPECT_EQ(ours("%.0f", 1.5), "2");
    EXPECT_EQ(ours("%.0f", 2.5), "2");
    EXPECT_EQ(ours("%6.3f", 0.0625), " 0.062");
    EXPECT_EQ(ours("%7.2f", -2.125), "  -2.12");
    // 2.675 is stored just below the tie and must not round up.
    EXPECT_EQ(ours("%.2f", 2.675), "2.67");
}

TEST(FormatText, SignsZeroesAndWidths) {
    EXPECT_EQ(ours("%7.2f", 0.0), "   0.00");
    EXPECT_EQ(ours("%7.2f", -0.0), "  -0.00");
    EXPECT_EQ(ours("%7.2f", -0.001), "  -0.00");
    EXPECT_EQ(ours("%7.2f", 12345.678), "12345.68");
    EXPECT_EQ(ours("%6.2f", 1e6), "1000000.00");
    EXPECT_EQ(ours("%12.5g", 0.0), "           0");
    EXPECT_EQ(ours("%12.5g", 200.0), "         200");
    EXPECT_EQ(ours("%12.5g", 123.456), "      123.46");
    EXPECT_EQ(ours("%12.5g", 1000000.0), "       1e+06");
    EXPECT_EQ(ours("%.0f", 1e300).size(), 301u);
    EXPECT_EQ(ours("%7.2f", HUGE_VAL), "    inf");
    EXPECT_EQ(ours("%7.2f", -HUGE_VAL), "   -inf");
    EXPECT_EQ(ours("%-8.1f|", 2.25), "2.2     |");
    EXPECT_EQ(ours("%08.2f", -3.5), "-0003.50");
}

TEST(FormatText, IntegersPercentsAndMixedArguments) {
    char text[128];
    format_text(text, sizeof text, "%5d %7.2f %5d|%d%%", {7, 0.25, -12, 2147483647});
    EXPECT_STREQ(text, "    7    0.25   -12|2147483647%");
    format_text(text, sizeof text, "m exceed %d !\n", {4});
    EXPECT_STREQ(text, "m exceed 4 !\n");
}

TEST(FormatText, NeverWritesPastTheBufferAndReportsTheFullLength) {
    char text[8];
    std::memset(text, 'x', sizeof text);
    const std::size_t length = format_text(text, 6, "%7.2f", {1234.5});
    EXPECT_EQ(length, 7u);
    EXPECT_STREQ(text, "1234.");
    EXPECT_EQ(text[6], 'x');
    EXPECT_EQ(format_text(nullptr, 0, "%.2f", {1.0}), 4u);
}

TEST(FormatText, MismatchedArgumentsAreNotConverted) {
    char text[64];
    format_text(text, sizeof text, "%d and %f", {1.5});
    EXPECT_STREQ(text, "%d and 1.500000");
}

TEST(FormatText, IgnoresTheCLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale here";
    const std::string shown = ours("%6.2f", 2.5);
    double read = 0;
    const bool accepted = read_leading_number("2.5", read);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(shown, "  2.50");
    EXPECT_TRUE(accepted);
    EXPECT_EQ(read, 2.5);
}

// Values that stress rounding: exact ties k/8, the doubles on both sides of
// them, decimal near-ties, and magnitudes across the whole range.
std::vector<double> awkward_values() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.005,
                                  0.015,
                                  0.025,
                                  1e-300,
                                  5e-324,
                                  0.5,
                                  1.5,
                                  9.995,
                                  99.995,
                                  999.995,
                                  9999.995,
                                  1e6,
                                  1e15,
                                  1e16,
                                  1e17,
                                  1e22,
                                  1e23,
                                  1e100,
                                  1e300,
                                  std::numeric_limits<double>::max(),
                                  1099511627776.0,
                                  1099511627775.5,
                                  4503599627370495.5};
    for (int k = 0; k < 8 * 2000; ++k) {
        const double tie = k / 8.0;
        values.push_back(tie);
        values.push_back(std::nextafter(tie, 0.0));
        values.push_back(std::nextafter(tie, 1e9));
        values.push_back(k / 1000.0 + 0.0005);
    }
    for (int e = -30; e <= 300; ++e)
        values.push_back(std::pow(10.0, e) * 1.2345678);
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(-values[i]);
    return values;
}

const char* const FORMATS[] = {"%7.2f",  "%6.2f", "%6.3f", "%8.2f",  "%.0f",
                               "%12.5g", "%5.1f", "%.9f",  "%.10f",  "%e",
                               "%.3e",   "%g",    "%+.2f", "% 9.4f", "%010.3f"};

TEST(FormatTextAgainstPrintf, AwkwardValuesInEveryFormat) {
    if (!HAVE_REFERENCE_PRINTF) GTEST_SKIP() << "the C library here is not the reference";
    for (const char* format : FORMATS) {
        for (double value : awkward_values()) {
            ASSERT_EQ(ours(format, value), reference(format, value)) << format << " of " << value;
        }
    }
}

TEST(FormatTextAgainstPrintf, MillionsOfRandomValues) {
    if (!HAVE_REFERENCE_PRINTF) GTEST_SKIP() << "the C library here is not the reference";
    std::mt19937_64 generator(20261207);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-8, 14);
    std::uniform_int_distribution<long long> cents(-1000000000, 1000000000);
    const char* const fixed_formats[] = {"%7.2f", "%6.3f", "%.0f", "%8.2f"};
    for (int i = 0; i < 2000000; ++i) {
        // Half of them are spread over the magnitudes; half sit next to a
        // decimal tie of the two-decimal formats.
        double value = (i % 2 == 0) ? std::ldexp(mantissa(generator), exponent(generator) * 3)
                                    : (cents(generator) + 0.5) / 100.0;
        if (i % 4 == 3) value = std::nextafter(value, (i % 8 == 3) ? 1e300 : -1e300);
        const char* format = fixed_formats[i % 4];
        char ours_text[512];
        char reference_text[512];
        format_text(ours_text, sizeof ours_text, format, {value});
        std::snprintf(reference_text, sizeof reference_text, format, value);
        ASSERT_STREQ(ours_text, reference_text) << format << " of " << value;
    }
}

// The trace's fields go through append_fixed, whose own short path must equal
// "%*.*f" too: every awkward value, carries into a new digit at every length,
// near-ties of cents, in the widths around the short path's limits.
TEST(AppendFixedAgainstPrintf, AwkwardValuesInTraceWidths) {
    if (!HAVE_REFERENCE_PRINTF) GTEST_SKIP() << "the C library here is not the reference";
    std::vector<double> values = awkward_values();
    for (double carry = 9.995; carry < 1e7; carry = carry * 10.0 + 9.0) {
        for (double value : {carry, -carry, std::nextafter(carry, 0.0), std::nextafter(carry, 1e9)})
            values.push_back(value);
    }
    std::mt19937_64 generator(7);
    std::uniform_int_distribution<long long> cents(-100000000, 100000000);
    for (int i = 0; i < 100000; ++i) {
        const double tie = (cents(generator) + 0.5) / 100.0;
        values.push_back(i % 2 == 0 ? tie : std::nextafter(tie, i % 4 == 1 ? 1e9 : -1e9));
    }
    const int layouts[][2] = {{7, 2}, {1, 2}, {8, 2}, {9, 2}, {7, 0}, {7, 3}};
    for (const auto& [width, precision] : layouts) {
        for (double value : values) {
            char ours[FIXED_TEXT_LIMIT + 16];
            *append_fixed(ours, value, width, precision) = '\0';
            char reference[512];
            std::snprintf(reference, sizeof reference, "%*.*f", width, precision, value);
            ASSERT_STREQ(ours, reference) << width << "." << precision << " of " << value;
        }
    }
    // Whole trace rows: plain values of every digit count, every other row
    // with an awkward one; steps and flags of every digit count, and out of
    // the single pass's range.
    // One memo over them all, each row written twice: the second must come
    // out the same from the memo alone.
    std::uniform_real_distribution<double> plain(-20000.0, 20000.0);
    const int integers[] = {0, 9, 10, 99999, 100000, -1, 40000, 1234};
    TraceRowMemo memo;
    for (std::size_t k = 0; k < values.size(); ++k) {
        double row[5];
        for (double& value : row)
            value = plain(generator) / std::pow(10.0, static_cast<double>(k % 7));
        if (k % 2 == 0) row[k / 2 % 5] = values[k];
        const int step = integers[k % 8];
        const int flag = integers[k / 8 % 8];
        char reference[2048];
        std::snprintf(reference, sizeof reference, "%5d %7.2f %5d %7.2f %7.2f %7.2f %7.2f\n", step,
                      row[0], flag, row[1], row[2], row[3], row[4]);
        for (int pass = 0; pass < 2; ++pass) {
            char ours[2 * 21 + 5 * (1 + FIXED_TEXT_LIMIT) + 1];
            *append_trace_row(ours, memo, step, row[0], flag, row + 1) = '\0';
            ASSERT_STREQ(ours, reference) << "row with " << values[k] << ", pass " << pass;
        }
    }
}

// Integer printf needs no exact rounding, so every C library is a reference.
TEST(AppendIntegerAgainstPrintf, EveryDigitCountSignAndWidth) {
    std::vector<long long> values = {std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()};
    for (long long power = 1; power <= 1000000000; power *= 10) {
        for (long long value : {power - 1, power, power + 1}) {
            values.push_back(value);
            values.push_back(-value);
        }
    }
    for (int width : {0, 1, 5, 12}) {
        for (long long value : values) {
            char ours_text[64];
            char reference_text[64];
            *append_integer(ours_text, value, width) = '\0';
            std::snprintf(reference_text, sizeof reference_text, "%*d", width,
                          static_cast<int>(value));
            ASSERT_STREQ(ours_text, reference_text) << value << " in " << width;
        }
    }
    // More digits of precision than any integer has.
    char ours_text[128];
    char reference_text[128];
    format_text(ours_text, sizeof ours_text, "%.40d|%-30.25d|", {-7, 12});
    std::snprintf(reference_text, sizeof reference_text, "%.40d|%-30.25d|", -7, 12);
    EXPECT_STREQ(ours_text, reference_text);
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
