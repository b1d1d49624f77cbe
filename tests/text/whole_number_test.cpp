#include "text/whole_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace morbilex {
namespace {

using R = WholeNumberReading;

TEST(WholeNumber, DigitsAfterAnOptionalMinusWithinTheBoundsAndNothingElse) {
    const struct {
        const char* text;
        long long least, most;
        R reading;
    } cases[] = {{"7", 1, 9, R::Read},       {"-9223372036854775808", LLONG_MIN, 0, R::Read},
                 {"0", 1, 9, R::Below},      {"10", 1, 9, R::Above},
                 {"-1", 0, 9, R::Below},     {"9223372036854775808", 0, LLONG_MAX, R::NotWhole},
                 {"", 0, 9, R::NotWhole},    {"+1", 0, 9, R::NotWhole},
                 {" 1", 0, 9, R::NotWhole},  {"1 ", 0, 9, R::NotWhole},
                 {"1.0", 0, 9, R::NotWhole}, {"-", 0, 9, R::NotWhole}};
    for (const auto& c : cases) {
        long long value = 42;
        EXPECT_EQ(read_whole_number(c.text, value, c.least, c.most), c.reading) << c.text;
        if (c.reading == R::NotWhole) {
            EXPECT_EQ(value, 42) << c.text;
        }
    }
    long long value = 0;
    EXPECT_EQ(read_leading_whole_number("12,3", value), 2u);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(read_leading_whole_number(",3", value), 0u);
    EXPECT_EQ(read_leading_whole_number("99999999999999999999,", value), 0u);
}

TEST(WholeNumber, OneOfTellsWhichPartIsWrong) {
    const struct {
        const char* text;
        OneOfReading reading;
    } cases[] = {{"3/4", OneOfReading::Read},           {"4/4", OneOfReading::Read},
                 {"5/4", OneOfReading::OutsideCount},   {"0/4", OneOfReading::OutsideCount},
                 {"0/0", OneOfReading::CountBelowOne},  {"1/-2", OneOfReading::CountBelowOne},
                 {"1/2/3", OneOfReading::NotTwoWholes}, {"3", OneOfReading::NotTwoWholes},
                 {"/4", OneOfReading::NotTwoWholes},    {"a/4", OneOfReading::NotTwoWholes}};
    for (const auto& c : cases) {
        long long index = 0, count = 0;
        EXPECT_EQ(read_one_of(c.text, index, count), c.reading) << c.text;
    }
}

}  // namespace
}  // namespace morbilex
