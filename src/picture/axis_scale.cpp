// Scales and number texts of the sweep pictures, without Qt.
#include "picture/axis_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "chart/ticks.h"
#include "text/format.h"

namespace morbilex {
namespace {

// True when value lies exactly halfway between two neighbours of the last
// digit kept, which is worth 10^-decimals (decimals below zero for digits
// left of the point).
bool halfway(double value, int decimals) {
    if (!std::isfinite(value) || value == 0.0) return false;
    // |value| = odd * 2^exponent; halfway means value * 2 * 10^decimals is odd.
    int exponent = 0;
    double odd = std::ldexp(std::frexp(std::abs(value), &exponent), 53);
    exponent -= 53;
    while (std::fmod(odd, 2.0) == 0.0)
        odd /= 2.0, ++exponent;
    if (decimals >= 0) return exponent == -(decimals + 1);
    // odd * 2^exponent = k * 10^-decimals / 2 with k odd: 5^-decimals divides odd.
    if (exponent != -decimals - 1) return false;
    for (int k = 0; k < -decimals; ++k) {
        if (std::fmod(odd, 5.0) != 0.0) return false;
        odd /= 5.0;
    }
    return true;
}

// The pictures round a halfway value away from zero, where the C library
// rounds it to even: a value exactly halfway is moved off the halfway point.
double away_from_halfway(double value, int decimals) {
    return halfway(value, decimals) ? std::nextafter(value, value * 2.0) : value;
}

// A zero is written without its sign and every NaN as "nan", as the pictures
// always have.
std::string chars_of(double value, char kind, int precision) {
    if (std::isnan(value)) return "nan";
    if (value == 0.0) value = 0.0;
    char format[16];
    format_text(format, sizeof format, kind == 'g' ? "%%.%dg" : "%%.%df", {precision});
    char text[400];
    const std::size_t length = format_text(text, sizeof text, format, {value});
    return std::string(text, std::min(length, sizeof text - 1));
}

// printf's "%.{digits}g", halfway values rounded away from zero.
std::string general_text(double value, int digits) {
    if (std::isfinite(value) && value != 0.0) {
        // The last digit kept, by the decimal exponent of the value.
        const int exponent = static_cast<int>(std::floor(std::log10(std::abs(value))));
        for (int e : {exponent - 1, exponent, exponent + 1}) {
            const double low = std::pow(10.0, e);
            if (std::abs(value) >= low && std::abs(value) < low * 10.0)
                value = away_from_halfway(value, digits - 1 - e);
        }
    }
    return chars_of(value, 'g', digits);
}

std::string fixed_text(double value, int decimals) {
    return chars_of(away_from_halfway(value, decimals), 'f', decimals);
}

}  // namespace

std::vector<double> ticks_between(double low, double high, int count) {
    std::vector<double> ticks;
    const double step = round_tick_step(high - low, count);
    if (!(step > 0.0)) return ticks;
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; k += 1.0)
        ticks.push_back(std::abs(k * step) < step * 1e-9 ? 0.0 : k * step);
    return ticks;
}

std::size_t label_stride(std::size_t labels, double room_each, double label_size) {
    if (labels == 0 || room_each <= 0.0) return 1;
    return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(label_size / room_each)));
}

std::pair<double, double> finite_range(const std::vector<double>& values) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (double value : values) {
        if (!std::isfinite(value)) continue;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    if (low > high) return {0.0, 1.0};
    return {low, high};
}

std::string axis_text(double value) {
    return general_text(value, 6);
}

std::string value_text(double value) {
    if (!std::isfinite(value)) return "n/a";
    const double magnitude = std::abs(value);
    if (magnitude >= 100000.0 || (magnitude < 0.001 && magnitude > 0.0)) {
        return general_text(value, 3);
    }
    const int decimals = magnitude >= 100.0 ? 0 : magnitude >= 10.0 ? 1 : magnitude >= 1.0 ? 2 : 3;
    return fixed_text(value, decimals);
}

}  // namespace morbilex
