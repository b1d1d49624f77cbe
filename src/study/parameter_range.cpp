#include "study/parameter_range.h"

#include <cmath>

#include "text/read.h"
#include "text/shortest.h"

namespace morbilex {

double ParameterRange::value_at(double u) const {
    const double width = high - low;
    if (!triangular) return low + width * u;
    if (!(width > 0.0)) return low;
    const double split = (mode - low) / width;  // the share of the weight below the mode
    if (u < split) return low + std::sqrt(u * width * (mode - low));
    return high - std::sqrt((1.0 - u) * width * (high - mode));
}

bool rangeable_field(std::string_view name) {
    TypedField field;
    if (!find_editable_field(name, field)) return false;
    if (field.dialog == DialogKind::AxisScale) return false;
    return name != "T_max";
}

namespace {

bool refuse(std::string& error, std::string_view option, const std::string& why) {
    error = std::string(option) + ": " + why;
    return false;
}

}  // namespace

bool parse_parameter_range(std::string_view text, std::string_view option, ParameterRange& range,
                           std::string& error) {
    range = ParameterRange{};
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return refuse(error, option, "a range is NAME=low:high or NAME=low:high:mode");
    }
    range.name = std::string(text.substr(0, equals));
    if (!rangeable_field(range.name) || !find_editable_field(range.name, range.field)) {
        return refuse(error, option,
                      "unknown NAME '" + range.name +
                          "' (a model parameter other than T_max, or a plan field)");
    }
    double numbers[3] = {0.0, 0.0, 0.0};
    int count = 0;
    std::string_view rest = text.substr(equals + 1);
    while (true) {
        const std::size_t colon = rest.find(':');
        if (count == 3 || !read_full_number(rest.substr(0, colon), numbers[count]) ||
            !std::isfinite(numbers[count])) {
            return refuse(error, option, "a range is NAME=low:high or NAME=low:high:mode");
        }
        ++count;
        if (colon == std::string_view::npos) break;
        rest = rest.substr(colon + 1);
    }
    if (count < 2) return refuse(error, option, "a range is NAME=low:high or NAME=low:high:mode");
    range.low = numbers[0];
    range.high = numbers[1];
    if (!(range.low <= range.high)) return refuse(error, option, "low is above high");
    if (count == 3) {
        range.triangular = true;
        range.mode = numbers[2];
        if (!(range.low <= range.mode && range.mode <= range.high)) {
            return refuse(error, option, "the mode lies outside low:high");
        }
    }
    return true;
}

std::string parameter_range_text(const ParameterRange& range) {
    std::string text = range.name + "=";
    append_shortest(text, range.low);
    text += ':';
    append_shortest(text, range.high);
    if (range.triangular) {
        text += ':';
        append_shortest(text, range.mode);
    }
    return text;
}

}  // namespace morbilex
