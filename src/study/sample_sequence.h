// Points of a scrambled low-discrepancy sequence (Halton's, with the digits of
// each dimension permuted from a fixed seed) in the unit cube. Integer digit
// arithmetic and one fixed order of additions: the same bits on every
// platform, front end and thread count. The questions answered by many runs
// (ensembles, sensitivity, the starting points of a fit) draw from it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morbilex {

inline constexpr std::uint64_t SAMPLE_SEED = 0x6d6f7262696c6578ULL;
inline constexpr int LARGEST_SAMPLE_DIMENSIONS = 64;

class SampleSequence {
public:
    // dimensions: 1..LARGEST_SAMPLE_DIMENSIONS.
    explicit SampleSequence(int dimensions, std::uint64_t seed = SAMPLE_SEED);

    int dimensions() const { return static_cast<int>(bases_.size()); }
    // The coordinates of point `index` (from 0), each in [0, 1);
    // out.size() must equal dimensions().
    void point(std::uint64_t index, std::span<double> out) const;
    // One coordinate of point `index`.
    double coordinate(std::uint64_t index, int dimension) const;

private:
    std::vector<std::uint32_t> bases_;
    // For each dimension, a permutation of its base's digits per digit position.
    std::vector<std::vector<std::vector<std::uint32_t>>> permutations_;
};

}  // namespace morbilex
