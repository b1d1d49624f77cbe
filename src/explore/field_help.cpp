#include "explore/field_help.h"

#include <string_view>
#include <vector>

#include "shell/care_fields.h"

namespace morbilex {
namespace {

constexpr const char* WINDOW_SHARE =
    "share of transmission removed during this window (0.8 = 80 %)";
constexpr const char* WINDOW_START = "first day of this window";
constexpr const char* WINDOW_END = "day this window ends (not included)";

constexpr FieldHelp HELP[] = {
    {"R_0", "-",
     "basic reproduction number: persons one infectious person infects in a fully susceptible "
     "population"},
    {"latent_period", "days", "mean time from infection to becoming infectious; above zero"},
    {"infectious_period", "days", "mean time a person stays infectious; above zero"},
    {"T_max", "days", "simulated duration, in steps of a quarter day (at most 10000)"},
    {"init_S", "persons", "susceptible at the start: the rest of the 10,000"},
    {"init_E", "persons", "exposed at the start; not negative"},
    {"init_I", "persons", "infectious at the start; not negative"},
    {"init_R", "persons", "recovered at the start; not negative"},
    {"Redct1", "fraction", WINDOW_SHARE},
    {"t_srt1", "day", WINDOW_START},
    {"t_stp1", "day", WINDOW_END},
    {"Redct2", "fraction", WINDOW_SHARE},
    {"t_srt2", "day", WINDOW_START},
    {"t_stp2", "day", WINDOW_END},
    {"Redct3", "fraction", WINDOW_SHARE},
    {"t_srt3", "day", WINDOW_START},
    {"t_stp3", "day", WINDOW_END},
    {"Reduction", "fraction",
     "share of transmission removed while the intervention is on (0.8 = 80 %)"},
    {"On_threshold", "persons",
     "the intervention switches on when the infectious reach this number"},
    {"Off_threshold", "persons", "and off again when the infectious fall to this number"},
    {"xmin", "days", "left end of the chart's time axis"},
    {"xmax", "days", "right end of the chart's time axis"},
    {"ymin", "persons", "bottom of the chart's persons axis (per 10,000)"},
    {"ymax", "persons", "top of the chart's persons axis (per 10,000)"},
    {"capacity", "persons",
     "what can be cared for at once, drawn as a line against its series; empty or 0: off"},
};

}  // namespace

const FieldHelp* field_help(const char* name) {
    if (name == nullptr) return nullptr;
    for (const FieldHelp& help : HELP) {
        if (std::string_view(help.name) == name) return &help;
    }
    // The care layer's fields tell their own unit and meaning.
    static const std::vector<FieldHelp> care_help = [] {
        std::vector<FieldHelp> helps;
        for (const CareField& field : care_fields())
            helps.push_back({field.dialog_field.name, field.unit, field.meaning});
        return helps;
    }();
    for (const FieldHelp& help : care_help) {
        if (std::string_view(help.name) == name) return &help;
    }
    return nullptr;
}

std::string accessible_field_name(const char* name) {
    std::string text = name;
    for (char& c : text) {
        if (c == '_') c = ' ';
    }
    const FieldHelp* help = field_help(name);
    if (help != nullptr && std::string_view(help->unit) != "-")
        text += std::string(", ") + help->unit;
    return text;
}

}  // namespace morbilex
