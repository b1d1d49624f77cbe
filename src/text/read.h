// Locale-free scanf: numbers read as "%lf" reads them in the C locale, and
// the one exact decimal reader every caller shares.
#pragma once

#include <string_view>

namespace morbilex {

// Reads a number the way scanf's "%lf" does: leading white space skipped, an
// optional sign, then a decimal (or 0x hexadecimal) number with optional
// fraction and exponent; anything after it is ignored. Returns false when the
// text does not start with a number, and also for "inf", "nan" and values out
// of the double range, which the program refuses. Never looks at the locale.
bool read_leading_number(std::string_view text, double& value);

// The whole text as one decimal number, finite: an optional '+', then an
// optional '-' (so "+-2.5" reads -2.5, as the option readers always took it),
// no hexadecimal, nothing after it. False otherwise.
bool read_full_number(std::string_view text, double& value);

}  // namespace morbilex
