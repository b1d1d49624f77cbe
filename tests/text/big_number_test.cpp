// The wide products of the digit algorithms against the compiler's own.
#include "text/big_number.h"

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

namespace morbilex {
namespace {

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

}  // namespace
}  // namespace morbilex
