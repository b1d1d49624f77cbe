// A field known only as a range: low to high, uniform or triangular with a
// mode. Samples are the range's inverse distribution at the points of the
// sample sequence; the centre (the mode, or the midpoint) is the central run.
#pragma once

#include <string>
#include <string_view>

#include "analysis/scenario_setup.h"

namespace morbilex {

struct ParameterRange {
    std::string name;
    TypedField field{};  // the dialog field the samples are typed into
    double low = 0.0, high = 0.0;
    bool triangular = false;
    double mode = 0.0;  // triangular only: low <= mode <= high

    double centre() const { return triangular ? mode : low + (high - low) * 0.5; }
    // The value below which a share u (0 <= u <= 1) of the range's weight lies.
    double value_at(double u) const;
};

// Whether a field may be given a range: the model's parameters and initial
// values (not T_max, which sets the number of steps, nor S(0), which is what
// remains) and every field of the two plans.
bool rangeable_field(std::string_view name);

// Reads NAME=low:high[:mode]; false with a one-line reason naming the option
// (given as `option`, e.g. "--range=R_0=2:3").
bool parse_parameter_range(std::string_view text, std::string_view option, ParameterRange& range,
                           std::string& error);
// NAME=low:high[:mode], every number as its shortest text.
std::string parameter_range_text(const ParameterRange& range);

}  // namespace morbilex
