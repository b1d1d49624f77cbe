// Scales and number texts of the sweep pictures, without Qt.
// Tick steps, label strides, and numbers written the way the pictures show them.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace morbilex {

// Ticks from low to high at a step of 1, 2 or 5 times a power of ten, about
// count of them over the range.
std::vector<double> ticks_between(double low, double high, int count);

// Every n-th label, so that neighbours do not touch.
std::size_t label_stride(std::size_t labels, double room_each, double label_size);

// The low and high of the finite values; 0..1 when there are none.
std::pair<double, double> finite_range(const std::vector<double>& values);

// An axis number: up to six significant digits, exponent form for the very
// large and the very small ("1e+06").
std::string axis_text(double value);

// A value for a reader: few digits, "n/a" when not finite.
std::string value_text(double value);

}  // namespace morbilex
