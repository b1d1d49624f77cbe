#include "text/format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "text/big_number.h"
#include "text/digits.h"

namespace morbilex {
namespace {

using namespace digits;

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

// The exact decimal value of a finite non-negative double: 0.d1d2...dn * 10^point,
// without trailing zeros (no digits for zero). At most 767 significant digits.
struct ExactDecimal {
    char digits[800];
    int count = 0;
    int point = 1;
};

void take_exact_decimal(double magnitude, ExactDecimal& exact) {
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int field = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (field != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = field - 1075;
    }
    if (mantissa == 0) return;
    // m * 2^e is m * 2^e when e >= 0, and m * 5^-e / 10^-e otherwise.
    text_detail::BigNumber whole(mantissa);
    if (exponent >= 0) {
        whole.shift_left(exponent);
    } else {
        whole.multiply_power_of_five(-exponent);
    }
    exact.count = whole.take_decimal_digits(exact.digits);
    exact.point = exact.count + std::min(exponent, 0);
    while (exact.count > 0 && exact.digits[exact.count - 1] == '0')
        --exact.count;
}

// Keeps the first `keep` digits (none when keep <= 0), rounding the exact
// value half to even.
void round_to(ExactDecimal& exact, int keep) {
    if (keep >= exact.count) return;
    if (keep < 0) {
        exact.count = 0;
        return;
    }
    const char dropped = exact.digits[keep];
    // Trailing zeros are gone: any digit after the first dropped one is not zero.
    const bool odd = keep > 0 && (exact.digits[keep - 1] - '0') % 2 != 0;
    const bool up = dropped > '5' || (dropped == '5' && (keep + 1 < exact.count || odd));
    exact.count = keep;
    if (up) {
        int last = keep - 1;
        while (last >= 0 && exact.digits[last] == '9')
            --last;
        if (last < 0) {
            exact.digits[0] = '1';
            exact.count = 1;
            ++exact.point;
        } else {
            ++exact.digits[last];
            exact.count = last + 1;
        }
    }
    while (exact.count > 0 && exact.digits[exact.count - 1] == '0')
        --exact.count;
}

char digit_at(const ExactDecimal& exact, int position) {
    return position >= 0 && position < exact.count ? exact.digits[position] : '0';
}

// "%.*f" of digits already rounded to precision decimals.
char* write_fixed(char* out, const ExactDecimal& exact, int precision) {
    if (exact.count == 0 || exact.point <= 0) {
        *out++ = '0';
    } else {
        for (int i = 0; i < exact.point; ++i)
            *out++ = digit_at(exact, i);
    }
    if (precision > 0) {
        *out++ = '.';
        for (int i = 0; i < precision; ++i)
            *out++ = digit_at(exact, exact.point + i);
    }
    return out;
}

// "%.*e" of digits already rounded to precision + 1 digits; "%g" drops the
// fraction's trailing zeros.
char* write_scientific(char* out, const ExactDecimal& exact, int precision, bool trim) {
    *out++ = digit_at(exact, 0);
    if (trim) precision = std::min(precision, std::max(exact.count - 1, 0));
    if (precision > 0) {
        *out++ = '.';
        for (int i = 1; i <= precision; ++i)
            *out++ = digit_at(exact, i);
    }
    const int exponent = exact.count == 0 ? 0 : exact.point - 1;
    const int magnitude = exponent < 0 ? -exponent : exponent;
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// "%.*g": scientific for exponents below -4 or from the precision on,
// otherwise fixed; trailing zeros of the fraction dropped either way.
char* write_general(char* out, ExactDecimal& exact, int precision) {
    if (precision == 0) precision = 1;
    round_to(exact, precision);
    const int exponent = exact.count == 0 ? 0 : exact.point - 1;
    if (exponent < -4 || exponent >= precision) {
        return write_scientific(out, exact, precision - 1, true);
    }
    const int decimals = std::min(precision - 1 - exponent, std::max(exact.count - exact.point, 0));
    return write_fixed(out, exact, decimals);
}

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
            ExactDecimal exact;
            take_exact_decimal(magnitude, exact);
            round_to(exact, exact.point + precision);
            out = write_fixed(out, exact, precision);
        }
    } else {
        ExactDecimal exact;
        take_exact_decimal(magnitude, exact);
        if (c.kind == 'e') {
            round_to(exact, precision + 1);
            out = write_scientific(out, exact, precision, false);
        } else {
            out = write_general(out, exact, precision);
        }
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

}  // namespace morbilex
