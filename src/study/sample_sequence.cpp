#include "study/sample_sequence.h"

#include <stdexcept>

namespace morbilex {
namespace {

// splitmix64: a small generator with a fixed, platform-free sequence.
std::uint64_t next_random(std::uint64_t& state) {
    state += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::vector<std::uint32_t> first_primes(int count) {
    std::vector<std::uint32_t> primes;
    for (std::uint32_t candidate = 2; static_cast<int>(primes.size()) < count; ++candidate) {
        bool prime = true;
        for (std::uint32_t p : primes) {
            if (p * p > candidate) break;
            if (candidate % p == 0) prime = false;
        }
        if (prime) primes.push_back(candidate);
    }
    return primes;
}

// Digits of a base that a double can still tell apart (base^-digits >= 2^-53).
int digit_count(std::uint32_t base) {
    int digits = 0;
    for (double scale = 1.0; scale > 0x1p-53; scale /= base)
        ++digits;
    return digits;
}

std::vector<std::uint32_t> random_permutation(std::uint32_t base, std::uint64_t& state) {
    std::vector<std::uint32_t> permutation(base);
    for (std::uint32_t d = 0; d < base; ++d)
        permutation[d] = d;
    for (std::uint32_t i = base - 1; i > 0; --i) {
        const auto j = static_cast<std::uint32_t>(next_random(state) % (i + 1));
        std::swap(permutation[i], permutation[j]);
    }
    return permutation;
}

}  // namespace

SampleSequence::SampleSequence(int dimensions, std::uint64_t seed) {
    if (dimensions < 1 || dimensions > LARGEST_SAMPLE_DIMENSIONS) {
        throw std::invalid_argument("sample sequence: dimensions out of range");
    }
    bases_ = first_primes(dimensions);
    std::uint64_t state = seed;
    for (std::uint32_t base : bases_) {
        std::vector<std::vector<std::uint32_t>> per_digit;
        const int digits = digit_count(base);
        for (int position = 0; position < digits; ++position) {
            per_digit.push_back(random_permutation(base, state));
        }
        permutations_.push_back(std::move(per_digit));
    }
}

double SampleSequence::coordinate(std::uint64_t index, int dimension) const {
    const std::uint32_t base = bases_[dimension];
    const auto& permutation = permutations_[dimension];
    // Every digit position is scrambled, the trailing zeros of the index too,
    // so that no point sits on a grid line; summed from the smallest term up.
    double terms[64];
    double scale = 1.0 / base;
    const int digits = static_cast<int>(permutation.size());
    for (int position = 0; position < digits; ++position) {
        terms[position] = permutation[position][index % base] * scale;
        index /= base;
        scale /= base;
    }
    double sum = 0.0;
    for (int position = digits - 1; position >= 0; --position)
        sum += terms[position];
    return sum < 1.0 ? sum : 0x1.fffffffffffffp-1;
}

void SampleSequence::point(std::uint64_t index, std::span<double> out) const {
    if (out.size() != bases_.size()) {
        throw std::invalid_argument("sample sequence: wrong number of coordinates");
    }
    for (std::size_t d = 0; d < bases_.size(); ++d) {
        out[d] = coordinate(index, static_cast<int>(d));
    }
}

}  // namespace morbilex
