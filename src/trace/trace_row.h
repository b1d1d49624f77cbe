// The trace's rows composed in one pass: the step, t, the flag and the four
// compartments, with a memo of the fields shown before.
#pragma once

#include <cstdint>

namespace morbilex {

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

}  // namespace morbilex
