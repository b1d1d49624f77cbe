// Locale-free printf: a subset of snprintf's conversions in the C locale, and
// the fixed-point and integer fields written in place, so that every platform
// shows and writes the same bytes.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace morbilex {

struct FormatArgument {
    constexpr FormatArgument(double value) : is_real(true), real(value) {}
    constexpr FormatArgument(int value) : is_real(false), integer(value) {}
    bool is_real;
    double real = 0.0;
    long long integer = 0;
};

// Formats like snprintf in the C locale for the conversions d, i, f, e, g and %%,
// with the flags '-', '+', ' ', '0', a width and a precision. Writes at most
// capacity - 1 characters and a terminator (nothing when capacity is 0), and
// returns the length of the whole text. A conversion whose argument is missing
// or of the other kind is written as it stands.
std::size_t format_text(char* buffer, std::size_t capacity, std::string_view format,
                        std::initializer_list<FormatArgument> arguments);

// Longest text append_fixed can produce: sign, 309 digits, point, precision digits.
inline constexpr int FIXED_PRECISION_LIMIT = 60;
inline constexpr std::size_t FIXED_TEXT_LIMIT = 1 + 309 + 1 + FIXED_PRECISION_LIMIT;

// "%*.*f" of value, right-aligned in width: writes to out and returns the end.
// The caller provides max(width, FIXED_TEXT_LIMIT) characters. Precision is
// clamped to FIXED_PRECISION_LIMIT.
char* append_fixed(char* out, double value, int width, int precision);

// "%*d" of value. The caller provides max(width, 21) characters.
char* append_integer(char* out, long long value, int width);

}  // namespace morbilex
