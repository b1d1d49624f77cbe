#include "text/read.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "text/big_number.h"

namespace morbilex {

namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool is_digit(char ch, bool hexadecimal) {
    if (ch >= '0' && ch <= '9') return true;
    return hexadecimal && ((ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F'));
}

enum class Reading { number, underflow, overflow, invalid };

constexpr std::uint64_t INFINITY_BITS = 0x7ffULL << 52;
constexpr long long EXPONENT_CAP = 1000000000;  // far past any double

// The reading of q * 2^exponent, q below 2^54 and at least 2^52 unless the
// exponent is the subnormals' -1074.
Reading assemble(std::uint64_t q, long long exponent, double& magnitude) {
    const long long biased = exponent + 1074;
    if (biased > 2046) return Reading::overflow;
    // A carry into bit 53 steps the exponent up by itself.
    const std::uint64_t bits = (static_cast<std::uint64_t>(biased) << 52) + q;
    if (bits >= INFINITY_BITS) return Reading::overflow;
    if (bits == 0) return Reading::underflow;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return Reading::number;
}

// The exponent after a marker at body[i], saturated; 0 without one.
long long exponent_part(std::string_view body, std::size_t i) {
    if (i >= body.size()) return 0;
    bool negative = false;
    if (body[++i] == '-' || body[i] == '+') negative = body[i++] == '-';
    long long value = 0;
    for (; i < body.size(); ++i)
        value = std::min(value * 10 + (body[i] - '0'), EXPONENT_CAP);
    return negative ? -value : value;
}

// Hands the significant decimal digits of body to keep, which takes them
// while it returns true, and returns the power of ten of the last one taken.
// Zeros before the first significant digit only move the point.
template <typename Keep>
long long scan_decimal(std::string_view body, bool& any_digit, Keep&& keep) {
    const auto digit_at = [&](std::size_t i) { return static_cast<unsigned>(body[i] - '0'); };
    const std::size_t size = body.size();
    long long scale = 0;
    bool significant = false;
    std::size_t i = 0;
    for (; i < size && digit_at(i) <= 9; ++i) {
        any_digit = true;
        const int digit = static_cast<int>(digit_at(i));
        if (!significant && digit == 0) continue;
        significant = true;
        if (!keep(digit)) ++scale;
    }
    if (i < size && body[i] == '.') {
        for (++i; i < size && digit_at(i) <= 9; ++i) {
            any_digit = true;
            const int digit = static_cast<int>(digit_at(i));
            if (!significant && digit == 0) {
                --scale;
                continue;
            }
            significant = true;
            if (keep(digit)) --scale;
        }
    }
    return scale + exponent_part(body, i);
}

// Compares the exact value of the decimal body with (2q + 1) * 2^exponent,
// a halfway point between two doubles: every significant digit up to 800 (a
// halfway point has at most 767), the rest only as "more than shown".
int compare_with_halfway(std::string_view body, std::uint64_t q, long long exponent) {
    constexpr int DIGIT_LIMIT = 800;
    text_detail::BigNumber digits;
    int kept = 0;
    bool beyond = false;
    std::uint32_t chunk = 0, chunk_scale = 1;
    bool any_digit = false;
    const long long digits_exponent = scan_decimal(body, any_digit, [&](int digit) {
        if (kept == DIGIT_LIMIT) {
            beyond |= digit != 0;
            return false;
        }
        ++kept;
        chunk = chunk * 10 + static_cast<std::uint32_t>(digit);
        chunk_scale *= 10;
        if (chunk_scale == 1000000000u) {
            digits.multiply_add(chunk_scale, chunk);
            chunk = 0;
            chunk_scale = 1;
        }
        return true;
    });
    digits.multiply_add(chunk_scale, chunk);
    text_detail::BigNumber halfway(2 * q + 1);
    if (digits_exponent >= 0) {
        digits.multiply_power_of_five(static_cast<int>(digits_exponent));
    } else {
        halfway.multiply_power_of_five(static_cast<int>(-digits_exponent));
    }
    const long long low = std::min(digits_exponent, exponent);
    digits.shift_left(static_cast<int>(digits_exponent - low));
    halfway.shift_left(static_cast<int>(exponent - low));
    const int order = compare(digits, halfway);
    return order == 0 && beyond ? 1 : order;
}

// 192-bit unsigned numbers for the products of 64-bit digits and 125-bit powers.
struct Triple {
    std::uint64_t word[3];
};

Triple product(std::uint64_t a, const text_detail::Wide& b) {
    const text_detail::Wide low = text_detail::multiply_wide(a, b.low);
    const text_detail::Wide high = text_detail::multiply_wide(a, b.high);
    const std::uint64_t middle = low.high + high.low;
    return {{low.low, middle, high.high + (middle < low.high ? 1 : 0)}};
}

Triple add(const Triple& a, const Triple& b) {
    Triple sum;
    unsigned carry = 0;
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t partial = a.word[i] + carry;
        sum.word[i] = partial + b.word[i];
        carry = (partial < carry ? 1 : 0) + (sum.word[i] < partial ? 1 : 0);
    }
    return sum;
}

Triple subtract(const Triple& a, const Triple& b) {
    Triple difference;
    unsigned borrow = 0;
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t partial = a.word[i] - borrow;
        difference.word[i] = partial - b.word[i];
        borrow = (a.word[i] < borrow ? 1 : 0) + (partial < b.word[i] ? 1 : 0);
    }
    return difference;
}

// b * 2^shift for shift below 64.
Triple shifted(const text_detail::Wide& b, int shift) {
    if (shift == 0) return {{b.low, b.high, 0}};
    return {{b.low << shift, b.high << shift | b.low >> (64 - shift), b.high >> (64 - shift)}};
}

int bit_length(const Triple& a) {
    for (int i = 2; i >= 0; --i) {
        if (a.word[i] != 0) return 64 * (i + 1) - std::countl_zero(a.word[i]);
    }
    return 0;
}

// a >> shift for 0 < shift < 192, where the result fits 64 bits.
std::uint64_t shift_down(const Triple& a, int shift) {
    const int word = shift / 64, bit = shift % 64;
    const std::uint64_t low = a.word[word] >> bit;
    if (bit == 0 || word == 2) return low;
    return low | a.word[word + 1] << (64 - bit);
}

bool any_bit_below(const Triple& a, int position) {
    const int word = position / 64, bit = position % 64;
    for (int i = 0; i < word; ++i) {
        if (a.word[i] != 0) return true;
    }
    return bit != 0 && (a.word[word] & ((std::uint64_t{1} << bit) - 1)) != 0;
}

struct Rounded {
    std::uint64_t q;
    bool tie;
};

// a / 2^shift rounded to nearest; a tie is left down and reported.
Rounded round_down_by(const Triple& a, int shift) {
    const std::uint64_t q = shift_down(a, shift);
    const bool half = (shift_down(a, shift - 1) & 1) != 0;
    const bool rest = any_bit_below(a, shift - 1);
    return {q + (half && rest ? 1 : 0), half && !rest};
}

// The decimal number in body (digits, an optional point and exponent),
// correctly rounded.
Reading read_decimal(std::string_view body, double& magnitude) {
    std::uint64_t w = 0;
    int kept = 0;
    bool inexact = false;
    bool any_digit = false;
    const long long e10 = scan_decimal(body, any_digit, [&](int digit) {
        if (kept == 19) {
            inexact |= digit != 0;
            return false;
        }
        w = w * 10 + static_cast<std::uint64_t>(digit);
        ++kept;
        return true;
    });
    if (!any_digit) return Reading::invalid;
    if (w == 0) {
        magnitude = 0.0;
        return Reading::number;
    }
#if !defined(__FLT_EVAL_METHOD__) || __FLT_EVAL_METHOD__ == 0
    // Both factors exact: one correctly rounded operation.
    static constexpr double EXACT_POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (!inexact && w <= (std::uint64_t{1} << 53) && e10 >= -22 && e10 <= 22) {
        const double whole = static_cast<double>(w);
        magnitude = e10 < 0 ? whole / EXACT_POWERS[-e10] : whole * EXACT_POWERS[e10];
        return Reading::number;
    }
#endif
    if (e10 > 308) return Reading::overflow;
    if (e10 < -342) return Reading::underflow;  // below 10^-324

    // value = W * 5^e10 * 2^(e10 - z) lies between lower * 2^exponent and
    // upper * 2^exponent, W the digits with their top bit at bit 63.
    const int z = std::countl_zero(w);
    const std::uint64_t top = w << z;
    Triple lower, upper;
    long long exponent;
    if (e10 >= 0) {
        const int e = static_cast<int>(e10);
        const text_detail::Wide& power = text_detail::POWERS_OF_FIVE[e];  // rounded down
        lower = product(top, power);
        upper = add(lower, Triple{{top, 0, 0}});
        if (inexact)
            upper = add(add(upper, shifted(power, z)), Triple{{std::uint64_t{1} << z, 0, 0}});
        exponent = text_detail::power_of_five_bits(e) - text_detail::POWER_OF_FIVE_BITS + e - z;
    } else {
        const int e = static_cast<int>(-e10);
        const text_detail::Wide& inverse = text_detail::INVERSE_POWERS_OF_FIVE[e];  // rounded up
        upper = product(top, inverse);
        lower = subtract(upper, Triple{{top, 0, 0}});
        if (inexact) upper = add(upper, shifted(inverse, z));
        exponent =
            -(text_detail::power_of_five_bits(e) - 1 + text_detail::POWER_OF_FIVE_BITS) - e - z;
    }
    const int length = bit_length(upper);
    const long long shift = std::max<long long>(length - 53, -1074 - exponent);
    if (shift > length) return Reading::underflow;  // below half the least subnormal
    const int r = static_cast<int>(shift);
    const Rounded low = round_down_by(lower, r);
    const Rounded high = round_down_by(upper, r);
    std::uint64_t q = low.q;
    if (low.tie || high.tie || low.q != high.q) {
        // A halfway point lies between the bounds: decide it exactly.
        const std::uint64_t halves = shift_down(upper, r - 1);
        q = (halves & 1) != 0 ? halves >> 1 : (halves >> 1) - 1;
        const int order = compare_with_halfway(body, q, exponent + r - 1);
        if (order > 0 || (order == 0 && (q & 1) != 0)) ++q;
    }
    return assemble(q, exponent + r, magnitude);
}

int hex_value(char ch) {
    if (ch <= '9') return ch - '0';
    return (ch | 0x20) - 'a' + 10;
}

// The hexadecimal number in body (after "0x"), correctly rounded.
Reading read_hexadecimal(std::string_view body, double& magnitude) {
    std::uint64_t w = 0;
    int kept = 0;
    bool inexact = false;
    bool after_point = false;
    long long scale = 0;
    std::size_t i = 0;
    for (; i < body.size() && body[i] != 'p' && body[i] != 'P'; ++i) {
        if (body[i] == '.') {
            after_point = true;
            continue;
        }
        const int digit = hex_value(body[i]);
        if (kept == 0 && digit == 0) {
            if (after_point) scale -= 4;
        } else if (kept < 16) {
            w = w << 4 | static_cast<std::uint64_t>(digit);
            ++kept;
            if (after_point) scale -= 4;
        } else {
            inexact |= digit != 0;
            if (!after_point) scale += 4;
        }
    }
    if (w == 0) {
        magnitude = 0.0;
        return Reading::number;
    }
    const long long exponent = scale + exponent_part(body, i);
    const int length = 64 - std::countl_zero(w);
    if (exponent + length - 1 > 1023) return Reading::overflow;
    const long long shift = std::max<long long>(length - 53, -1074 - exponent);
    if (shift > length) return Reading::underflow;
    if (shift <= 0) return assemble(w << -shift, exponent + shift, magnitude);
    const int r = static_cast<int>(shift);
    std::uint64_t q = r == 64 ? 0 : w >> r;
    const bool half = ((w >> (r - 1)) & 1) != 0;
    const bool rest = inexact || (w & ((std::uint64_t{1} << (r - 1)) - 1)) != 0;
    if (half && (rest || (q & 1) != 0)) ++q;
    return assemble(q, exponent + shift, magnitude);
}

// The number at the start of text: digits with at most one point, then an
// exponent only where a marker, an optional sign and a digit follow (so that
// "1p+-5" is read as 1 whatever the library's reader makes of the rest).
std::string_view number_prefix(std::string_view text, bool hexadecimal) {
    std::size_t i = 0;
    bool seen_point = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && !seen_point) {
            seen_point = true;
        } else if (!is_digit(text[i], hexadecimal)) {
            break;
        }
    }
    const char marker = hexadecimal ? 'p' : 'e';
    if (i < text.size() && (text[i] == marker || text[i] == marker - 32)) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && is_digit(text[j], false)) {
            while (j < text.size() && is_digit(text[j], false))
                ++j;
            i = j;
        }
    }
    return text.substr(0, i);
}

}  // namespace

bool read_leading_number(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hexadecimal = false;
    if (i + 2 < text.size() + 0 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        (is_digit(text[i + 2], true) ||
         (text[i + 2] == '.' && i + 3 < text.size() && is_digit(text[i + 3], true)))) {
        hexadecimal = true;
        i += 2;
    }
    const std::string_view body = number_prefix(text.substr(i), hexadecimal);
    if (body.empty() || !(is_digit(body[0], hexadecimal) || body[0] == '.')) return false;
    double magnitude = 0.0;
    const Reading reading =
        hexadecimal ? read_hexadecimal(body, magnitude) : read_decimal(body, magnitude);
    if (reading == Reading::underflow) {
        magnitude = 0.0;
    } else if (reading != Reading::number) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

bool read_full_number(std::string_view text, double& value) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    const std::string_view body = number_prefix(text, false);
    if (body.empty() || body.size() != text.size()) return false;
    if (!(is_digit(body[0], false) || body[0] == '.')) return false;
    double magnitude = 0.0;
    if (read_decimal(body, magnitude) != Reading::number) return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace morbilex
