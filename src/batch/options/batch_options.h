// The command line of morbilex-batch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/scenario_setup.h"
#include "model/records.h"
#include "shell/dialogs.h"

namespace morbilex::batch {

// The exit statuses of morbilex-batch, as its help lists them.
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_WRONG_OPTION = 2;
inline constexpr int EXIT_NOT_FINITE = 3;     // every output written, but the run overflowed
inline constexpr int EXIT_INTERRUPTED = 130;  // 128 + SIGINT, as a shell reports it

// The largest side of a chart: a square of it is the most pixels a picture
// may have (256 Mi).
inline constexpr int LARGEST_CHART_SIDE = 16384;

using morbilex::TypedField;  // a field as the user typed it on the command line

struct BatchRequest {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    std::string trace_path;  // empty: standard output
    std::string chart_path;  // empty: no chart
    std::string chart_type;  // png, svg or pdf
    int chart_width = 1200;
    int chart_height = 700;
};

// Reads the arguments into request; false with a one-line reason in error.
bool parse_options(int argc, const char* const argv[], BatchRequest& request, std::string& error);

// An option that takes one value may be given once: false with the reason
// when name is in given already, which it joins otherwise.
bool given_once(std::vector<std::string_view>& given, std::string_view name, std::string& error);

// The --help text.
std::string usage_text();

}  // namespace morbilex::batch
