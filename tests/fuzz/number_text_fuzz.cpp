// The number text against snprintf, and the shortest text against
// std::to_chars: a value, a width, a precision and a conversion from the
// input; any difference aborts.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/format.h"
#include "text/shortest.h"
#include "trace/trace_row.h"

namespace {

void same_or_abort(const char* ours, const char* reference) {
    if (std::strcmp(ours, reference) == 0) return;
    std::fprintf(stderr, "ours      '%s'\nreference '%s'\n", ours, reference);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12) return 0;
    double value = 0.0;
    std::memcpy(&value, data, sizeof value);
    const int width = data[8] % 100;
    const int precision = data[9] % (morbilex::FIXED_PRECISION_LIMIT + 1);
    const char kind = "dfeg"[data[10] % 4];
    const char* flags[] = {"", "-", "+", " ", "0", "-+", "+0", " 0"};
    int integer = 0;
    std::memcpy(&integer, data, sizeof integer);

    static char ours[6 * morbilex::FIXED_TEXT_LIMIT];
    static char reference[6 * morbilex::FIXED_TEXT_LIMIT];
    *morbilex::append_fixed(ours, value, width, precision) = '\0';
    std::snprintf(reference, sizeof reference, "%*.*f", width, precision, value);
    same_or_abort(ours, reference);
    *morbilex::write_shortest(ours, value) = '\0';
    *std::to_chars(reference, reference + sizeof reference, value).ptr = '\0';
    same_or_abort(ours, reference);
    *morbilex::append_integer(ours, integer, width) = '\0';
    std::snprintf(reference, sizeof reference, "%*d", width, integer);
    same_or_abort(ours, reference);
    // Two rows through one memo: the second repeats some fields of the first
    // and changes the others' sign or size.
    const double rows[2][4] = {{value, -value, value * 0.01, value * 100.0},
                               {value, value, -value * 0.01, value * 100.0 + 0.01}};
    morbilex::TraceRowMemo memo;
    for (const double* y : rows) {
        *morbilex::append_trace_row(ours, memo, integer, value, data[8], y) = '\0';
        std::snprintf(reference, sizeof reference, "%5d %7.2f %5d %7.2f %7.2f %7.2f %7.2f\n",
                      integer, value, data[8], y[0], y[1], y[2], y[3]);
        same_or_abort(ours, reference);
    }

    char format[32];
    std::snprintf(format, sizeof format, "<%%%s%d.%d%c>", flags[data[11] % 8], width, precision,
                  kind);
    const std::size_t capacity = data[11] / 8 * 3;  // also cut short, down to nothing
    const std::size_t length = kind == 'd'
                                   ? morbilex::format_text(ours, capacity, format, {integer})
                                   : morbilex::format_text(ours, capacity, format, {value});
    const int reference_length = kind == 'd' ? std::snprintf(reference, capacity, format, integer)
                                             : std::snprintf(reference, capacity, format, value);
    if (length != static_cast<std::size_t>(reference_length)) std::abort();
    if (capacity > 0) same_or_abort(ours, reference);
    return 0;
}
