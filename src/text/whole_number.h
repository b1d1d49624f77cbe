// Whole numbers as the command line, the environment and the program's own
// files give them: "N" within bounds, and "K/N" (K of N). The reader tells what
// was wrong; the caller words the message.
#pragma once

#include <cstddef>
#include <limits>
#include <string_view>

namespace morbilex {

// What reading a whole number found.
enum class WholeNumberReading {
    Read,      // a whole number within the bounds
    NotWhole,  // not an optional '-' and decimal digits, or beyond 64 bits
    Below,     // a whole number less than the least allowed
    Above,     // a whole number more than the most allowed
};

// The whole text as a whole number: an optional '-' then decimal digits,
// nothing before or after them (no '+', no spaces). value is set whenever
// the text is a whole number, within the bounds or not.
WholeNumberReading read_whole_number(std::string_view text, long long& value,
                                     long long least = std::numeric_limits<long long>::min(),
                                     long long most = std::numeric_limits<long long>::max());

// The whole number the text starts with (an optional '-' then digits; what
// follows is not looked at): the count of characters it takes, 0 when the
// text does not start with one or it is beyond 64 bits.
std::size_t read_leading_whole_number(std::string_view text, long long& value);

// What reading "K/N" found.
enum class OneOfReading {
    Read,           // 1 <= K <= N
    NotTwoWholes,   // not two whole numbers on either side of the first '/'
    CountBelowOne,  // N < 1
    OutsideCount,   // K < 1 or K > N
};

// "K/N": K of N, split at the first '/'.
OneOfReading read_one_of(std::string_view text, long long& index, long long& count);

}  // namespace morbilex
