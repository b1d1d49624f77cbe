// The digit arithmetic shared by the general fixed-point path and the trace's
// row writer: whole numbers and fixed-point units written backwards, and the
// two-decimal fields composed in one 64-bit word. Everything here is inlined
// into its callers; the trace formats hundreds of thousands of fields a run.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace morbilex::digits {

// The trace formats hundreds of thousands of fields per run; its small
// helpers must not cost a call each.
#if defined(__GNUC__)
#define MORBILEX_ALWAYS_INLINE [[gnu::always_inline]] inline
#define MORBILEX_OUT_OF_LINE [[gnu::noinline]]
#else
#define MORBILEX_ALWAYS_INLINE inline
#define MORBILEX_OUT_OF_LINE
#endif

constexpr double POWERS_OF_TEN[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr unsigned long long POWERS_OF_TEN_INTEGER[] = {1ULL,
                                                        10ULL,
                                                        100ULL,
                                                        1000ULL,
                                                        10000ULL,
                                                        100000ULL,
                                                        1000000ULL,
                                                        10000000ULL,
                                                        100000000ULL,
                                                        1000000000ULL,
                                                        10000000000ULL,
                                                        100000000000ULL,
                                                        1000000000000ULL,
                                                        10000000000000ULL,
                                                        100000000000000ULL,
                                                        1000000000000000ULL,
                                                        10000000000000000ULL,
                                                        100000000000000000ULL,
                                                        1000000000000000000ULL,
                                                        10000000000000000000ULL};
constexpr int FAST_PRECISION_LIMIT = 9;
// Below 2^40 a product carries at least 12 fraction bits, so its rounding error
// (half a unit in the last place) stays far inside this distance from a tie.
constexpr double FAST_MAGNITUDE_LIMIT = 1099511627776.0;  // 2^40
constexpr double TIE_MARGIN = 1.0 / 1024.0;

// Writes the last two decimal digits of value before start and drops them.
// Narrow values take the cheaper 32-bit division.
template <typename Unsigned>
MORBILEX_ALWAYS_INLINE char* prepend_pair(char* start, Unsigned& value) {
    static constexpr char PAIRS[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const unsigned pair = static_cast<unsigned>(value % 100);
    value /= 100;
    *--start = PAIRS[2 * pair + 1];
    *--start = PAIRS[2 * pair];
    return start;
}

// Writes the whole number backwards so that it ends at end; returns its start.
template <typename Unsigned>
MORBILEX_ALWAYS_INLINE char* write_whole_backwards(char* end, Unsigned value) {
    char* start = end;
    while (value >= 100)
        start = prepend_pair(start, value);
    if (value >= 10) return prepend_pair(start, value);
    *--start = static_cast<char>('0' + value);
    return start;
}

// The value rounded to precision decimals, as a whole number of units of the
// last decimal. False when the fast path cannot prove that this rounds as the
// exact conversion would (near a tie, or too large).
MORBILEX_ALWAYS_INLINE bool fast_fixed_units(double magnitude, int precision,
                                             unsigned long long& units) {
    if (precision > FAST_PRECISION_LIMIT) return false;
    const double scaled = magnitude * POWERS_OF_TEN[precision];
    if (!(scaled < FAST_MAGNITUDE_LIMIT)) return false;  // NaN fails here too
    const auto whole = static_cast<unsigned long long>(static_cast<long long>(scaled));
    const double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) < TIE_MARGIN) return false;
    units = whole + (fraction > 0.5 ? 1 : 0);
    return true;
}

MORBILEX_ALWAYS_INLINE int digit_count(unsigned long long value) {
    int count = 1;
    while (count < 20 && value >= POWERS_OF_TEN_INTEGER[count])
        ++count;
    return count;
}

// Characters of the fixed-point text of units (without a sign).
MORBILEX_ALWAYS_INLINE int fixed_length(unsigned long long units, int precision) {
    return digit_count(units / POWERS_OF_TEN_INTEGER[precision]) +
           (precision > 0 ? 1 + precision : 0);
}

// Writes the fixed-point digits of units backwards so that they end at end.
template <typename Unsigned>
MORBILEX_ALWAYS_INLINE void write_fixed_backwards(char* end, Unsigned units, int precision) {
    char* start = end;
    int decimals = precision;
    for (; decimals >= 2; decimals -= 2)
        start = prepend_pair(start, units);
    if (decimals == 1) {
        *--start = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    if (precision > 0) *--start = '.';
    write_whole_backwards(start, units);
}

MORBILEX_ALWAYS_INLINE void write_fixed_backwards(char* end, unsigned long long units,
                                                  int precision) {
    if (units <= 0xFFFFFFFFULL) {
        write_fixed_backwards<unsigned>(end, static_cast<unsigned>(units), precision);
    } else {
        write_fixed_backwards<unsigned long long>(end, units, precision);
    }
}

// The two digits of a number below 100, one a byte, the tens first.
MORBILEX_ALWAYS_INLINE std::uint64_t pair_digits(std::uint32_t value) {
    static constexpr auto PAIRS = [] {
        std::array<std::uint16_t, 100> pairs{};
        for (std::uint16_t k = 0; k < 100; ++k)
            pairs[k] = static_cast<std::uint16_t>(k / 10 | k % 10 << 8);
        return pairs;
    }();
    return PAIRS[value];
}

// The byte of the first digit shown: the first nonzero one, at the latest
// byte 4 (where the integers' and the fields' last whole digit lies).
MORBILEX_ALWAYS_INLINE int first_shown(std::uint64_t digits) {
    return std::countr_zero(digits | 1ULL << 32) / 8;
}

// Digits, one a byte, as characters; the zeros in front of byte first are
// blanked ('0' - 0x10 is ' ').
MORBILEX_ALWAYS_INLINE std::uint64_t digits_text(std::uint64_t digits, int first) {
    return digits + 0x3030303030303030ULL - (0x10101010ULL & ((1ULL << 8 * first) - 1));
}

// Two decimals in a width of at most 8, for values below 10000 whose text
// fills the width: the trace's "%7.2f" fields. Eight characters are composed
// in one 64-bit word, the first character in the lowest byte: a blank, four
// whole digits, the point and two decimals; zeros in front of the last whole
// digit become blanks, a minus takes the blank before the first digit, and
// the characters in front of the width are shifted out.
struct TwoDecimals {
    std::uint64_t text;
    int first;  // byte of the first digit, 1 to 4
    bool negative;
};

constexpr double TWO_DECIMALS_LIMIT = 999999.0;  // units, rounded up, below 10^6
// Magnitudes below this show as 0.00, far from the tie at 0.005. They skip the
// multiplication, which costs a hundred cycles on a subnormal.
constexpr double SHOWN_AS_ZERO = 0.004;

// The value in units of 0.01, rounded, and its sign, packed in one word: a
// field's text depends on nothing else. False when the general path must
// decide (too large, NaN, or too near a tie to trust the scaled product).
MORBILEX_ALWAYS_INLINE bool two_decimals_key(double value, std::uint64_t& key) {
    const double magnitude = std::fabs(value);
    const double scaled = (magnitude < SHOWN_AS_ZERO ? 0.0 : magnitude) * 100.0;
    if (!(scaled < TWO_DECIMALS_LIMIT)) return false;  // NaN fails here too
    // Adding 2^52 rounds to a whole number of units, left in the low bits.
    const double shifted = scaled + 0x1p52;
    if (!(std::fabs(scaled - (shifted - 0x1p52)) < 0.5 - TIE_MARGIN)) return false;
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    key = static_cast<std::uint32_t>(bits) | std::uint64_t{std::signbit(value)} << 32;
    return true;
}

MORBILEX_ALWAYS_INLINE TwoDecimals compose_two_decimals(std::uint64_t key) {
    const auto units = static_cast<std::uint32_t>(key);
    const std::uint32_t whole = units / 100;
    const std::uint32_t high = whole / 100;
    // Pairs at bytes 1, 3 and 6; the point goes to byte 5 ('0' - 2).
    const std::uint64_t digits = pair_digits(high) << 8 | pair_digits(whole - 100 * high) << 24 |
                                 pair_digits(units - 100 * whole) << 48;
    TwoDecimals field;
    field.first = first_shown(digits);
    field.negative = (key >> 32) != 0;
    field.text = digits_text(digits, field.first) - (0x02ULL << 40);
    if (field.negative) field.text += 0x0DULL << 8 * (field.first - 1);  // '-' - ' '
    return field;
}

MORBILEX_ALWAYS_INLINE bool two_decimals(double value, TwoDecimals& field) {
    std::uint64_t key;
    if (!two_decimals_key(value, key)) return false;
    field = compose_two_decimals(key);
    return true;
}

MORBILEX_ALWAYS_INLINE bool two_decimals_fit(const TwoDecimals& field, int width) {
    return width <= 8 && 8 - width <= field.first - (field.negative ? 1 : 0);
}

// Returns the end, or null when the general path must decide.
MORBILEX_ALWAYS_INLINE char* append_two_decimals(char* out, double value, int width) {
    TwoDecimals field;
    if (!two_decimals(value, field) || !two_decimals_fit(field, width)) return nullptr;
    const std::uint64_t text = field.text >> 8 * (8 - width);
    // The caller provides FIXED_TEXT_LIMIT characters, more than 8.
    std::memcpy(out, &text, 8);
    return out + width;
}

// "%5d" of a value from 0 to 99999, in the five lowest bytes.
MORBILEX_ALWAYS_INLINE std::uint64_t five_digits_text(std::uint32_t value) {
    const std::uint32_t top = value / 10000;
    const std::uint32_t rest = value - 10000 * top;
    const std::uint32_t high = rest / 100;
    const std::uint64_t digits =
        top | pair_digits(high) << 8 | pair_digits(rest - 100 * high) << 24;
    return digits_text(digits, first_shown(digits));
}

// Blanks up to width before a text of this length; returns where the text goes.
MORBILEX_ALWAYS_INLINE char* pad_left(char* out, int length, int width) {
    for (int padding = width - length; padding > 0; --padding)
        *out++ = ' ';
    return out;
}

}  // namespace morbilex::digits
