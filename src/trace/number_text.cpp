#include "trace/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace morbilex {
namespace {

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

char* write_digits(char* out, unsigned long long value, int minimum_digits) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int zeros = minimum_digits - count; zeros > 0; --zeros)
        *out++ = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

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

char* pad_to_width(char* start, char* end, int width, bool left_align, char fill,
                   bool fill_after_sign) {
    const int length = static_cast<int>(end - start);
    if (length >= width) return end;
    const int padding = width - length;
    if (left_align) {
        std::memset(end, ' ', padding);
        return end + padding;
    }
    char* body = start;
    if (fill == '0' && fill_after_sign && (*body == '-' || *body == '+' || *body == ' ')) ++body;
    std::memmove(body + padding, body, end - body);
    std::memset(body, fill, padding);
    return end + padding;
}

struct Conversion {
    bool left_align = false;
    bool plus_sign = false;
    bool space_sign = false;
    bool zero_pad = false;
    int width = 0;
    int precision = -1;
    char kind = 0;
};

// Writes one real conversion (f, e or g) into out; returns the end.
char* convert_real(char* out, double value, const Conversion& c) {
    char* const start = out;
    const bool negative = std::signbit(value);
    if (negative) {
        *out++ = '-';
    } else if (c.plus_sign) {
        *out++ = '+';
    } else if (c.space_sign) {
        *out++ = ' ';
    }
    const double magnitude = std::fabs(value);
    int precision = c.precision < 0 ? 6 : std::min(c.precision, FIXED_PRECISION_LIMIT);
    const bool finite = std::isfinite(magnitude);
    if (!finite) {
        const char* word = std::isnan(magnitude) ? "nan" : "inf";
        std::memcpy(out, word, 3);
        out += 3;
    } else if (c.kind == 'f') {
        unsigned long long units = 0;
        if (fast_fixed_units(magnitude, precision, units)) {
            char* const end = out + fixed_length(units, precision);
            write_fixed_backwards(end, units, precision);
            out = end;
        } else {
            out = std::to_chars(out, out + FIXED_TEXT_LIMIT, magnitude, std::chars_format::fixed,
                                precision)
                      .ptr;
        }
    } else {
        const auto format =
            c.kind == 'e' ? std::chars_format::scientific : std::chars_format::general;
        if (c.kind == 'g' && precision == 0) precision = 1;
        out = std::to_chars(out, out + FIXED_TEXT_LIMIT, magnitude, format, precision).ptr;
    }
    return pad_to_width(start, out, c.width, c.left_align, finite && c.zero_pad ? '0' : ' ', true);
}

char* convert_integer(char* out, long long value, const Conversion& c) {
    char* const start = out;
    if (value < 0) {
        *out++ = '-';
    } else if (c.plus_sign) {
        *out++ = '+';
    } else if (c.space_sign) {
        *out++ = ' ';
    }
    const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                   : static_cast<unsigned long long>(value);
    if (!(c.precision == 0 && magnitude == 0)) {
        out = write_digits(out, magnitude, std::max(c.precision, 1));
    }
    const bool zero_fill = c.zero_pad && c.precision < 0;
    return pad_to_width(start, out, c.width, c.left_align, zero_fill ? '0' : ' ', true);
}

// Parses "%[flags][width][.precision]kind" starting after the '%'. Returns the
// position after it, or npos when it is not a conversion we handle.
std::size_t parse_conversion(std::string_view format, std::size_t position, Conversion& c) {
    for (; position < format.size(); ++position) {
        const char flag = format[position];
        if (flag == '-')
            c.left_align = true;
        else if (flag == '+')
            c.plus_sign = true;
        else if (flag == ' ')
            c.space_sign = true;
        else if (flag == '0')
            c.zero_pad = true;
        else
            break;
    }
    auto read_number = [&](int& number) {
        number = 0;
        while (position < format.size() && format[position] >= '0' && format[position] <= '9') {
            number = std::min(number * 10 + (format[position] - '0'), 9999);
            ++position;
        }
    };
    read_number(c.width);
    if (position < format.size() && format[position] == '.') {
        ++position;
        read_number(c.precision);
    }
    if (position < format.size() && format[position] == 'l') ++position;
    if (position >= format.size()) return std::string_view::npos;
    c.kind = format[position] == 'i' ? 'd' : format[position];
    if (std::strchr("dfeg", c.kind) == nullptr) return std::string_view::npos;
    return position + 1;
}

class BoundedOutput {
public:
    BoundedOutput(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    void append(const char* text, std::size_t length) {
        if (length_ + 1 < capacity_) {
            const std::size_t room = capacity_ - 1 - length_;
            std::memcpy(buffer_ + length_, text, std::min(room, length));
        }
        length_ += length;
    }
    std::size_t finish() {
        if (capacity_ > 0) buffer_[std::min(length_, capacity_ - 1)] = '\0';
        return length_;
    }

private:
    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

}  // namespace

namespace {

// Every other field: kept out of line, so that the trace's fields cost no
// saved registers.
MORBILEX_OUT_OF_LINE char* append_any_fixed(char* out, double value, int width, int precision) {
    unsigned long long units = 0;
    if (fast_fixed_units(std::fabs(value), precision, units)) {
        const bool negative = std::signbit(value);
        const int length = fixed_length(units, precision) + (negative ? 1 : 0);
        out = pad_left(out, length, width);
        if (negative) *out = '-';
        write_fixed_backwards(out + length, units, precision);
        return out + length;
    }
    Conversion c;
    c.width = width;
    c.precision = precision;
    c.kind = 'f';
    return convert_real(out, value, c);
}

}  // namespace

char* append_fixed(char* out, double value, int width, int precision) {
    // The trace rows' fields, written in place without the general machinery.
    char* end = precision == 2 ? append_two_decimals(out, value, width) : nullptr;
    return end != nullptr ? end : append_any_fixed(out, value, width, precision);
}

char* append_integer(char* out, long long value, int width) {
    const bool negative = value < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value);
    const int length = digit_count(magnitude) + (negative ? 1 : 0);
    out = pad_left(out, length, width);
    char* const end = out + length;
    write_whole_backwards(end, magnitude);
    if (negative) *out = '-';
    return end;
}

namespace {

// The row field by field, for values the single pass does not take.
MORBILEX_OUT_OF_LINE char* append_row_by_fields(char* out, int step, double t, int on_flag,
                                                const double y[4]) {
    out = append_integer(out, step, 5);
    *out++ = ' ';
    out = append_fixed(out, t, 7, 2);
    *out++ = ' ';
    out = append_integer(out, on_flag, 5);
    for (int k = 0; k < 4; ++k) {
        *out++ = ' ';
        out = append_fixed(out, y[k], 7, 2);
    }
    *out++ = '\n';
    return out;
}

}  // namespace

char* append_trace_row(char* out, TraceRowMemo& memo, int step, double t, int on_flag,
                       const double y[4]) {
    // Eight-byte stores, each overwriting the spare bytes of the one before:
    // the step, " t", " on_flag" and four " y", each "%7.2f" after its blank.
    // When a value needs the general path, it writes the row over them.
    const auto blank_and_field = [&memo](char* at, int column, double value) {
        std::uint64_t key;
        if (!two_decimals_key(value, key)) return false;
        if (key != memo.key[column]) {
            const TwoDecimals field = compose_two_decimals(key);
            if (!two_decimals_fit(field, 7)) return false;
            memo.key[column] = key;
            memo.text[column] = field.text;
        }
        std::memcpy(at, &memo.text[column], 8);
        return true;
    };
    bool single_pass =
        static_cast<unsigned>(step) < 100000 && static_cast<unsigned>(on_flag) < 100000;
    const std::uint64_t step_text = five_digits_text(step);
    // The flag is a single digit but for a caller's own values.
    const std::uint64_t flag_text = static_cast<unsigned>(on_flag) < 10
                                        ? 0x302020202020ULL + (std::uint64_t(on_flag) << 40)
                                        : 0x20 | five_digits_text(on_flag) << 8;
    std::memcpy(out, &step_text, 8);
    single_pass &= blank_and_field(out + 5, 0, t);
    std::memcpy(out + 13, &flag_text, 8);
    for (int k = 0; k < 4; ++k)
        single_pass &= blank_and_field(out + 19 + 8 * k, k + 1, y[k]);
    if (!single_pass) return append_row_by_fields(out, step, t, on_flag, y);
    out[51] = '\n';
    return out + 52;
}

char* append_trace_row(char* out, int step, double t, int on_flag, const double y[4]) {
    TraceRowMemo memo;
    return append_trace_row(out, memo, step, t, on_flag, y);
}

std::size_t format_text(char* buffer, std::size_t capacity, std::string_view format,
                        std::initializer_list<FormatArgument> arguments) {
    BoundedOutput output(buffer, capacity);
    const FormatArgument* argument = arguments.begin();
    char piece[FIXED_TEXT_LIMIT + 10000];
    std::size_t position = 0;
    while (position < format.size()) {
        const std::size_t percent = format.find('%', position);
        if (percent == std::string_view::npos) {
            output.append(format.data() + position, format.size() - position);
            break;
        }
        output.append(format.data() + position, percent - position);
        if (percent + 1 < format.size() && format[percent + 1] == '%') {
            output.append("%", 1);
            position = percent + 2;
            continue;
        }
        Conversion c;
        const std::size_t next = parse_conversion(format, percent + 1, c);
        const bool wants_real = c.kind != 'd';
        if (next == std::string_view::npos || argument == arguments.end() ||
            argument->is_real != wants_real) {
            const std::size_t end = next == std::string_view::npos ? percent + 1 : next;
            output.append(format.data() + percent, end - percent);
            position = end;
            continue;
        }
        char* end = wants_real ? convert_real(piece, argument->real, c)
                               : convert_integer(piece, argument->integer, c);
        output.append(piece, static_cast<std::size_t>(end - piece));
        ++argument;
        position = next;
    }
    return output.finish();
}

namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool is_digit(char ch, bool hexadecimal) {
    if (ch >= '0' && ch <= '9') return true;
    return hexadecimal && ((ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F'));
}

// Rough decimal (or binary) exponent of the number in text, enough to tell an
// underflow from an overflow when the exact conversion reports out of range.
bool magnitude_is_tiny(std::string_view text, bool hexadecimal) {
    long exponent = 0;
    long leading = 0;
    bool seen_point = false;
    bool seen_nonzero = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '.') {
            if (seen_point) break;  // a second point ends the number
            seen_point = true;
        } else if (is_digit(ch, hexadecimal)) {
            if (ch != '0') seen_nonzero = true;
            if (!seen_nonzero && seen_point) --leading;
            if (seen_nonzero && !seen_point) ++leading;
        } else {
            break;
        }
    }
    const char marker = hexadecimal ? 'p' : 'e';
    if (i < text.size() && (text[i] == marker || text[i] == marker - 32)) {
        long value = 0;
        bool negative = false;
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) negative = text[j++] == '-';
        for (; j < text.size() && is_digit(text[j], false); ++j)
            value = std::min(value * 10 + (text[j] - '0'), 100000L);
        exponent = negative ? -value : value;
    }
    return leading + (hexadecimal ? exponent / 4 : exponent) < 0;
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
    // from_chars wants a digit or a point first and never reads inf or nan.
    if (body.empty() || !(is_digit(body[0], hexadecimal) || body[0] == '.')) return false;
    double parsed = 0.0;
    const auto result =
        std::from_chars(body.data(), body.data() + body.size(), parsed,
                        hexadecimal ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (!magnitude_is_tiny(body, hexadecimal)) return false;
        parsed = 0.0;
    } else if (result.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(parsed)) return false;
    value = negative ? -parsed : parsed;
    return true;
}

}  // namespace morbilex
