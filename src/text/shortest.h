// The shortest decimal text that reads back to the very same double.
#pragma once

#include <string>

namespace morbilex {

// Room for any shortest text: sign, 17 digits, point, exponent.
inline constexpr int SHORTEST_TEXT_LIMIT = 32;

// Writes the shortest text of value (plain or with an exponent, whichever is
// shorter; "inf", "-inf", "nan" or "-nan") at out and returns its end. The
// caller provides SHORTEST_TEXT_LIMIT characters.
char* write_shortest(char* out, double value);

// Appends the shortest text of value; every NaN is "nan".
void append_shortest(std::string& out, double value);

}  // namespace morbilex
