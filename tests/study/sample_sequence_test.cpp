#include "study/sample_sequence.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace morbilex {
namespace {

// The first 2^3 * 3^2 points of the first two dimensions fall one to a cell
// of an 8 x 9 grid, scrambled or not; every coordinate lies in [0, 1).
TEST(SampleSequence, FirstPointsStratifyTheSquare) {
    const SampleSequence sequence(2);
    std::set<std::pair<int, int>> cells;
    std::vector<double> point(2);
    for (std::uint64_t i = 0; i < 72; ++i) {
        sequence.point(i, point);
        ASSERT_GE(point[0], 0.0);
        ASSERT_LT(point[0], 1.0);
        ASSERT_GE(point[1], 0.0);
        ASSERT_LT(point[1], 1.0);
        cells.insert({static_cast<int>(point[0] * 8), static_cast<int>(point[1] * 9)});
    }
    EXPECT_EQ(cells.size(), 72u);
}

// Pinned bits: every platform (native, wine, node) must draw the same points.
TEST(SampleSequence, SameBitsEverywhereAndSeedMatters) {
    const SampleSequence sequence(LARGEST_SAMPLE_DIMENSIONS);
    double sum = 0.0;
    for (std::uint64_t i = 0; i < 1000; ++i) {
        for (int d = 0; d < sequence.dimensions(); ++d)
            sum += sequence.coordinate(i, d);
    }
    EXPECT_NEAR(sum / (1000.0 * LARGEST_SAMPLE_DIMENSIONS), 0.5, 0.01);
    EXPECT_EQ(sum, 0x1.f451396061dc6p+14);
    EXPECT_NE(SampleSequence(3, 1).coordinate(5, 2), SampleSequence(3, 2).coordinate(5, 2));
    EXPECT_THROW(SampleSequence(0), std::invalid_argument);
}

}  // namespace
}  // namespace morbilex
