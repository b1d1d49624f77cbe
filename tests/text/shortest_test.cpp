// The shortest text that reads back to the same double, against the
// standard library over millions of doubles.
#include "text/shortest.h"

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

}  // namespace
}  // namespace morbilex
