// Exact unsigned integers of a few thousand bits, for the rare numbers that
// need every digit: the exact decimal value of a double, the exact test of a
// read number against a halfway point, and the power-of-five tables (built at
// compile time). Also the 64 x 64 -> 128-bit product, without a 128-bit type
// where the compiler has none.
#pragma once

#include <array>
#include <cstdint>

namespace morbilex::text_detail {

struct Wide {
    std::uint64_t low;
    std::uint64_t high;
};

// The full product by 32-bit halves; the same on every compiler.
constexpr Wide multiply_portable(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t a_low = a & 0xffffffffu, a_high = a >> 32;
    const std::uint64_t b_low = b & 0xffffffffu, b_high = b >> 32;
    const std::uint64_t low_low = a_low * b_low;
    const std::uint64_t high_low = a_high * b_low;
    const std::uint64_t low_high = a_low * b_high;
    const std::uint64_t middle = (low_low >> 32) + (high_low & 0xffffffffu) + low_high;
    return {(middle << 32) | (low_low & 0xffffffffu),
            a_high * b_high + (high_low >> 32) + (middle >> 32)};
}

inline Wide multiply_wide(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
    __extension__ using Unsigned128 = unsigned __int128;
    const Unsigned128 product = static_cast<Unsigned128>(a) * b;
    return {static_cast<std::uint64_t>(product), static_cast<std::uint64_t>(product >> 64)};
#else
    return multiply_portable(a, b);
#endif
}

// floor(log2(5^e)) + 1 for 0 < e <= 3528 (and 1 for e == 0).
constexpr int power_of_five_bits(int e) {
    return static_cast<int>((static_cast<std::uint32_t>(e) * 1217359u) >> 19) + 1;
}

class BigNumber {
public:
    static constexpr int LIMBS = 128;  // 4096 bits

    constexpr BigNumber() = default;
    constexpr explicit BigNumber(std::uint64_t value) {
        limbs_[0] = static_cast<std::uint32_t>(value);
        limbs_[1] = static_cast<std::uint32_t>(value >> 32);
        size_ = limbs_[1] != 0 ? 2 : (limbs_[0] != 0 ? 1 : 0);
    }

    constexpr bool is_zero() const { return size_ == 0; }

    constexpr void multiply_add(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = static_cast<std::uint64_t>(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    constexpr void multiply_power_of_five(int exponent) {
        constexpr std::uint32_t FIVE_TO_THE_13 = 1220703125u;
        for (; exponent >= 13; exponent -= 13)
            multiply_add(FIVE_TO_THE_13, 0);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent)
            rest *= 5;
        multiply_add(rest, 0);
    }

    constexpr void shift_left(int bits) {
        if (size_ == 0 || bits == 0) return;
        const int limbs = bits / 32, shift = bits % 32;
        if (shift != 0) {
            limbs_[size_] = 0;
            for (int i = size_; i > 0; --i)
                limbs_[i] = (limbs_[i] << shift) | (limbs_[i - 1] >> (32 - shift));
            limbs_[0] <<= shift;
            if (limbs_[size_] != 0) ++size_;
        }
        if (limbs > 0) {
            for (int i = size_ - 1; i >= 0; --i)
                limbs_[i + limbs] = limbs_[i];
            for (int i = 0; i < limbs; ++i)
                limbs_[i] = 0;
            size_ += limbs;
        }
    }

    // Divides in place and returns the remainder.
    constexpr std::uint32_t divide(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            const std::uint64_t part = (remainder << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(part / divisor);
            remainder = part % divisor;
        }
        while (size_ > 0 && limbs_[size_ - 1] == 0)
            --size_;
        return static_cast<std::uint32_t>(remainder);
    }

    // The 64 bits from bit position `from` upwards.
    constexpr std::uint64_t bits_from(int from) const {
        const int limb = from / 32, shift = from % 32;
        const std::uint64_t window = limb_at(limb) | static_cast<std::uint64_t>(limb_at(limb + 1))
                                                         << 32;
        if (shift == 0) return window;
        return window >> shift | static_cast<std::uint64_t>(limb_at(limb + 2)) << (64 - shift);
    }

    // Writes the decimal digits, most significant first, and returns their
    // count ("" for zero). Destroys the number.
    int take_decimal_digits(char* out) {
        char reversed[LIMBS * 10];
        int count = 0;
        while (size_ > 0) {
            std::uint32_t chunk = divide(1000000000u);
            for (int i = 0; i < 9; ++i, chunk /= 10)
                reversed[count++] = static_cast<char>('0' + chunk % 10);
        }
        while (count > 0 && reversed[count - 1] == '0')
            --count;
        for (int i = 0; i < count; ++i)
            out[i] = reversed[count - 1 - i];
        return count;
    }

    friend constexpr int compare(const BigNumber& a, const BigNumber& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

private:
    constexpr std::uint32_t limb_at(int i) const { return i < size_ ? limbs_[i] : 0; }

    std::array<std::uint32_t, LIMBS + 1> limbs_{};
    int size_ = 0;
};

// 5^e for 0 <= e < POWER_OF_FIVE_COUNT, to 125 bits: floor(5^e * 2^(125 - bits(e))).
// And 5^-e for 0 <= e < INVERSE_POWER_OF_FIVE_COUNT, rounded up past 125 bits:
// floor(2^(bits(e) - 1 + 125) / 5^e) + 1.
inline constexpr int POWER_OF_FIVE_COUNT = 326;
inline constexpr int INVERSE_POWER_OF_FIVE_COUNT = 343;
inline constexpr int POWER_OF_FIVE_BITS = 125;
extern const std::array<Wide, POWER_OF_FIVE_COUNT> POWERS_OF_FIVE;
extern const std::array<Wide, INVERSE_POWER_OF_FIVE_COUNT> INVERSE_POWERS_OF_FIVE;

}  // namespace morbilex::text_detail
