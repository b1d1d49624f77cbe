#include "text/read.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace morbilex {

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
namespace morbilex {

bool read_full_number(std::string_view text, double& value) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    if (text.empty() || text[0] == '+') return false;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace morbilex
