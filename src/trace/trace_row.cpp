#include "trace/trace_row.h"

#include <cstdint>
#include <cstring>

#include "text/digits.h"
#include "text/format.h"

namespace morbilex {

using namespace digits;

namespace {

// The row field by field, for values the single pass does not take.
MORBILEX_OUT_OF_LINE char* append_row_by_fields(char* out, int step, double t, int on_flag,
                                                const double y[4]) {
    out = append_integer(out, step, 5);
    *out++ = ' ';
    out = append_fixed(out, t, 7, 2);
    *out++ = ' ';
    out = append_integer(out, on_flag, 5);
    for (int k = 0; k < 4; ++k) {
        *out++ = ' ';
        out = append_fixed(out, y[k], 7, 2);
    }
    *out++ = '\n';
    return out;
}

}  // namespace

char* append_trace_row(char* out, TraceRowMemo& memo, int step, double t, int on_flag,
                       const double y[4]) {
    // Eight-byte stores, each overwriting the spare bytes of the one before:
    // the step, " t", " on_flag" and four " y", each "%7.2f" after its blank.
    // When a value needs the general path, it writes the row over them.
    const auto blank_and_field = [&memo](char* at, int column, double value) {
        std::uint64_t key;
        if (!two_decimals_key(value, key)) return false;
        if (key != memo.key[column]) {
            const TwoDecimals field = compose_two_decimals(key);
            if (!two_decimals_fit(field, 7)) return false;
            memo.key[column] = key;
            memo.text[column] = field.text;
        }
        std::memcpy(at, &memo.text[column], 8);
        return true;
    };
    bool single_pass =
        static_cast<unsigned>(step) < 100000 && static_cast<unsigned>(on_flag) < 100000;
    const std::uint64_t step_text = five_digits_text(step);
    // The flag is a single digit but for a caller's own values.
    const std::uint64_t flag_text = static_cast<unsigned>(on_flag) < 10
                                        ? 0x302020202020ULL + (std::uint64_t(on_flag) << 40)
                                        : 0x20 | five_digits_text(on_flag) << 8;
    std::memcpy(out, &step_text, 8);
    single_pass &= blank_and_field(out + 5, 0, t);
    std::memcpy(out + 13, &flag_text, 8);
    for (int k = 0; k < 4; ++k)
        single_pass &= blank_and_field(out + 19 + 8 * k, k + 1, y[k]);
    if (!single_pass) return append_row_by_fields(out, step, t, on_flag, y);
    out[51] = '\n';
    return out + 52;
}

char* append_trace_row(char* out, int step, double t, int on_flag, const double y[4]) {
    TraceRowMemo memo;
    return append_trace_row(out, memo, step, t, on_flag, y);
}
}  // namespace morbilex
