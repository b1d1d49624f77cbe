// Ticks at round values, one rule for every drawing with a scale.
#pragma once

namespace morbilex {

// The spacing of round tick values over a range: the smallest of 1, 2 and 5
// times a power of ten that gives at most about count ticks (count below 1
// counts as 1); 0 for an empty or non-finite range.
double round_tick_step(double range, int count);

}  // namespace morbilex
