// Number formatting and reading that never depend on the C library's locale
// or rounding quirks, so every platform shows and writes the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The trace's row "%5d %7.2f %5d %7.2f %7.2f %7.2f %7.2f\n" of these values.
// The caller provides 2 * 21 + 5 * (1 + FIXED_TEXT_LIMIT) + 1 characters.
char* append_trace_row(char* out, int step, double t, int on_flag, const double y[4]);

// The text of each fixed-point field of the rows already written, by the
// rounded value it shows. A run's rows repeat most fields (a long run ends
// flat), and a field shown before is copied rather than composed again.
struct TraceRowMemo {
    std::uint64_t key[5] = {~0ULL, ~0ULL, ~0ULL, ~0ULL, ~0ULL};  // no value's key
    std::uint64_t text[5] = {};
};
// The same row, with the memo of the rows before it.
char* append_trace_row(char* out, TraceRowMemo& memo, int step, double t, int on_flag,
                       const double y[4]);

// Reads a number the way scanf's "%lf" does: leading white space skipped, an
// optional sign, then a decimal (or 0x hexadecimal) number with optional
// fraction and exponent; anything after it is ignored. Returns false when the
// text does not start with a number, and also for "inf", "nan" and values out
// of the double range, which the program refuses. Never looks at the locale.
bool read_leading_number(std::string_view text, double& value);

}  // namespace morbilex
