#include "text/shortest.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "text/big_number.h"
#include "text/digits.h"

namespace morbilex {
namespace {

using text_detail::INVERSE_POWERS_OF_FIVE;
using text_detail::multiply_wide;
using text_detail::POWER_OF_FIVE_BITS;
using text_detail::power_of_five_bits;
using text_detail::POWERS_OF_FIVE;
using text_detail::Wide;

constexpr int MANTISSA_BITS = 52;
constexpr int EXPONENT_BIAS = 1023;

// floor(log10(2^e)) for 0 <= e <= 1650, floor(log10(5^e)) for 0 <= e <= 2620.
inline int log10_of_power_of_two(int e) {
    return static_cast<int>((static_cast<std::uint32_t>(e) * 78913u) >> 18);
}
inline int log10_of_power_of_five(int e) {
    return static_cast<int>((static_cast<std::uint32_t>(e) * 732923u) >> 20);
}

inline bool divisible_by_power_of_five(std::uint64_t value, int exponent) {
    int count = 0;
    while (value % 5 == 0) {
        value /= 5;
        ++count;
    }
    return count >= exponent;
}

inline bool divisible_by_power_of_two(std::uint64_t value, int exponent) {
    return (value & ((std::uint64_t{1} << exponent) - 1)) == 0;
}

// (m * multiplier) >> shift, with 64 < shift < 128 + 64 and m below 2^55.
inline std::uint64_t multiply_shift(std::uint64_t m, const Wide& multiplier, int shift) {
    const Wide low = multiply_wide(m, multiplier.low);
    const Wide high = multiply_wide(m, multiplier.high);
    const std::uint64_t middle = low.high + high.low;
    const std::uint64_t top = high.high + (middle < low.high ? 1 : 0);
    const int distance = shift - 64;
    return (top << (64 - distance)) | (middle >> distance);
}

struct Decimal {
    std::uint64_t digits;
    int exponent;
};

// The shortest decimal in the rounding interval of m2 * 2^e2 (m2 with its
// hidden bit, e2 counted two lower for the interval's ends), nearest the value
// where several are equally short. Three products with exact 5^q tables; the
// divisibility checks decide the cases where the truncated products end in
// zeros.
Decimal shortest_decimal(std::uint64_t mantissa_field, int exponent_field) {
    int e2;
    std::uint64_t m2;
    if (exponent_field == 0) {
        e2 = 1 - EXPONENT_BIAS - MANTISSA_BITS - 2;
        m2 = mantissa_field;
    } else {
        e2 = exponent_field - EXPONENT_BIAS - MANTISSA_BITS - 2;
        m2 = (std::uint64_t{1} << MANTISSA_BITS) | mantissa_field;
    }
    const bool accept_bounds = (m2 & 1) == 0;
    const std::uint64_t mv = 4 * m2;
    // The lower end is closer where the exponent steps down.
    const int lower_shift = (mantissa_field != 0 || exponent_field <= 1) ? 1 : 0;

    std::uint64_t vr, vp, vm;
    int e10;
    bool vm_trailing_zeros = false;
    bool vr_trailing_zeros = false;
    if (e2 >= 0) {
        const int q = log10_of_power_of_two(e2) - (e2 > 3 ? 1 : 0);
        e10 = q;
        const int k = POWER_OF_FIVE_BITS + power_of_five_bits(q) - 1;
        const int shift = -e2 + q + k;
        const Wide& multiplier = INVERSE_POWERS_OF_FIVE[q];
        vr = multiply_shift(4 * m2, multiplier, shift);
        vp = multiply_shift(4 * m2 + 2, multiplier, shift);
        vm = multiply_shift(4 * m2 - 1 - lower_shift, multiplier, shift);
        if (q <= 21) {
            // At most one of mp, mv and mm is a multiple of 5.
            if (mv % 5 == 0) {
                vr_trailing_zeros = divisible_by_power_of_five(mv, q);
            } else if (accept_bounds) {
                vm_trailing_zeros = divisible_by_power_of_five(mv - 1 - lower_shift, q);
            } else {
                vp -= divisible_by_power_of_five(mv + 2, q) ? 1 : 0;
            }
        }
    } else {
        const int q = log10_of_power_of_five(-e2) - (-e2 > 1 ? 1 : 0);
        e10 = q + e2;
        const int i = -e2 - q;
        const int k = power_of_five_bits(i) - POWER_OF_FIVE_BITS;
        const int shift = q - k;
        const Wide& multiplier = POWERS_OF_FIVE[i];
        vr = multiply_shift(4 * m2, multiplier, shift);
        vp = multiply_shift(4 * m2 + 2, multiplier, shift);
        vm = multiply_shift(4 * m2 - 1 - lower_shift, multiplier, shift);
        if (q <= 1) {
            // mv has two trailing zero bits; mm has one exactly when the
            // lower end is the closer one; mp has one.
            vr_trailing_zeros = true;
            if (accept_bounds) {
                vm_trailing_zeros = lower_shift == 1;
            } else {
                --vp;
            }
        } else if (q < 63) {
            vr_trailing_zeros = divisible_by_power_of_two(mv, q);
        }
    }

    int removed = 0;
    std::uint64_t output;
    if (vm_trailing_zeros || vr_trailing_zeros) {
        // The rare general case: track whether the dropped digits were zeros.
        int last_removed = 0;
        while (vp / 10 > vm / 10) {
            vm_trailing_zeros &= vm % 10 == 0;
            vr_trailing_zeros &= last_removed == 0;
            last_removed = static_cast<int>(vr % 10);
            vr /= 10;
            vp /= 10;
            vm /= 10;
            ++removed;
        }
        if (vm_trailing_zeros) {
            while (vm % 10 == 0) {
                vr_trailing_zeros &= last_removed == 0;
                last_removed = static_cast<int>(vr % 10);
                vr /= 10;
                vp /= 10;
                vm /= 10;
                ++removed;
            }
        }
        // An exact tie ...50..0 rounds to even.
        if (vr_trailing_zeros && last_removed == 5 && vr % 2 == 0) last_removed = 4;
        const bool outside = vr == vm && (!accept_bounds || !vm_trailing_zeros);
        output = vr + ((outside || last_removed >= 5) ? 1 : 0);
    } else {
        bool round_up = false;
        if (vp / 100 > vm / 100) {
            round_up = vr % 100 >= 50;
            vr /= 100;
            vp /= 100;
            vm /= 100;
            removed += 2;
        }
        while (vp / 10 > vm / 10) {
            round_up = vr % 10 >= 5;
            vr /= 10;
            vp /= 10;
            vm /= 10;
            ++removed;
        }
        output = vr + ((vr == vm || round_up) ? 1 : 0);
    }
    return {output, e10 + removed};
}

// Digits of a shortest decimal (at most 17), most of which have 15 to 17.
int decimal_length(std::uint64_t v) {
    if (v >= 10000000000000000ULL) return 17;
    if (v >= 1000000000000000ULL) return 16;
    if (v >= 100000000000000ULL) return 15;
    int length = 1;
    for (std::uint64_t bound = 10; length < 14 && v >= bound; bound *= 10)
        ++length;
    return length;
}

// The exact whole number value (at least 2^53), written at out; returns the end.
char* write_exact_whole(char* out, std::uint64_t m2, int e2) {
    text_detail::BigNumber whole(m2);
    whole.shift_left(e2);
    return out + whole.take_decimal_digits(out);
}

}  // namespace

char* write_shortest(char* out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const std::uint64_t mantissa_field = bits & ((std::uint64_t{1} << MANTISSA_BITS) - 1);
    const int exponent_field = static_cast<int>((bits >> MANTISSA_BITS) & 0x7ff);
    if (negative) *out++ = '-';
    if (exponent_field == 0x7ff) {
        std::memcpy(out, mantissa_field != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    if (exponent_field == 0 && mantissa_field == 0) {
        *out = '0';
        return out + 1;
    }

    // Whole numbers below 2^53 are their own shortest digits.
    Decimal decimal;
    const std::uint64_t m2 = (std::uint64_t{1} << MANTISSA_BITS) | mantissa_field;
    const int e2 = exponent_field - EXPONENT_BIAS - MANTISSA_BITS;
    if (exponent_field != 0 && e2 <= 0 && e2 >= -MANTISSA_BITS &&
        (m2 & ((std::uint64_t{1} << -e2) - 1)) == 0) {
        decimal = {m2 >> -e2, 0};
        while (decimal.digits % 10 == 0) {
            decimal.digits /= 10;
            ++decimal.exponent;
        }
    } else {
        decimal = shortest_decimal(mantissa_field, exponent_field);
    }

    // Plain or scientific, whichever is shorter; plain when equal.
    const int length = decimal_length(decimal.digits);
    const int exponent = decimal.exponent;
    const int scientific_exponent = exponent + length - 1;
    const int plain_length = exponent >= 0        ? length + exponent
                             : -exponent < length ? length + 1
                                                  : 2 - exponent;
    const int magnitude = scientific_exponent < 0 ? -scientific_exponent : scientific_exponent;
    const int scientific_length = length + (length > 1 ? 1 : 0) + 2 + (magnitude >= 100 ? 3 : 2);

    char digits[20];
    digits::write_whole_backwards(digits + length, decimal.digits);
    if (plain_length <= scientific_length) {
        if (exponent >= 0) {
            // A whole number, written in full as printf would.
            if (e2 > 0) return write_exact_whole(out, m2, e2);
            std::memcpy(out, digits, length);
            std::memset(out + length, '0', exponent);
            return out + length + exponent;
        }
        const int whole_digits = length + exponent;
        if (whole_digits > 0) {
            std::memcpy(out, digits, whole_digits);
            out[whole_digits] = '.';
            std::memcpy(out + whole_digits + 1, digits + whole_digits, length - whole_digits);
            return out + length + 1;
        }
        out[0] = '0';
        out[1] = '.';
        std::memset(out + 2, '0', -whole_digits);
        std::memcpy(out + 2 - whole_digits, digits, length);
        return out + 2 - whole_digits + length;
    }
    *out++ = digits[0];
    if (length > 1) {
        *out++ = '.';
        std::memcpy(out, digits + 1, length - 1);
        out += length - 1;
    }
    *out++ = 'e';
    *out++ = scientific_exponent < 0 ? '-' : '+';
    if (magnitude >= 100) {
        *out++ = static_cast<char>('0' + magnitude / 100);
    }
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

void append_shortest(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    char buffer[SHORTEST_TEXT_LIMIT];
    out.append(buffer, write_shortest(buffer, value));
}

}  // namespace morbilex
