#include "explore/figures.h"

#include <cmath>
#include <iterator>

#include "analysis/run_figures.h"
#include "analysis/scenario_setup.h"
#include "model/simulation.h"
#include "text/format.h"

namespace morbilex {
namespace {

struct ShownFigure {
    const char* name;
    const char* label;
};

// The figures shown, in their order; those a run leaves empty are left out.
constexpr ShownFigure SHOWN[] = {
    {"peak_infectious", "Peak infectious"},
    {"peak_infectious_day", "  on day"},
    {"peak_exposed", "Peak exposed"},
    {"peak_exposed_day", "  on day"},
    {"final_S", "Final S"},
    {"final_E", "Final E"},
    {"final_I", "Final I"},
    {"final_R", "Final R"},
    {"attack_rate", "Attack rate"},
    {"days_reduced", "Days under reduction"},
    {"switches_on", "Switches on"},
    {"herd_immunity_threshold", "Herd immunity threshold"},
    {"final_S_analytic", "Final S (final-size relation)"},
};

// The care layer's lines, after the others.
constexpr ShownFigure SHOWN_CARE[] = {
    {"peak_hospital", "Peak in hospital"},
    {"peak_icu", "Peak in intensive care"},
    {"deaths", "Deaths"},
};
static_assert(std::size(SHOWN_CARE) == CARE_SUMMARY_COLUMN_COUNT);

CareSummaryRow care_summary_of(const Records& records, InterventionMode mode) {
    return summarise_care(care_figures(integrate_care(scenario_inputs_of(records, mode))));
}

SummaryRow summary_of(const Records& records, InterventionMode mode) {
    const ScenarioInputs inputs = scenario_inputs_of(records, mode);
    SummaryRow row;
    summarise_run(inputs, integrate_run_figures(inputs), row);
    return row;
}

std::string formatted(const char* format, double value) {
    char text[96];
    format_text(text, sizeof text, format, {value});
    return text;
}

// The change from base to value: relative for a peak or a total, in days for a day.
std::string difference_text(const char* name, double value, double base) {
    if (!std::isfinite(value) || !std::isfinite(base)) return {};
    const std::string n = name;
    if (n == "peak_infectious_day" || n == "peak_exposed_day") {
        const double days = value - base;
        if (days == 0.0) return "same day";
        return formatted("%.2f", std::fabs(days)) + (days > 0.0 ? " days later" : " days earlier");
    }
    if (n == "attack_rate") return formatted("%+.1f", (value - base) * 100.0) + " points";
    // Persons still exposed or infectious at the end: near zero without an
    // intervention, so told in persons, not relative to that.
    if (n == "final_E" || n == "final_I") return formatted("%+.2f", value - base) + " persons";
    if (n == "days_reduced" || n == "switches_on" || n == "herd_immunity_threshold") return {};
    if (base == 0.0) return value == 0.0 ? "0 %" : std::string{};
    const double percent = (value - base) / base * 100.0;
    return formatted(std::fabs(percent) < 10.0 ? "%+.1f" : "%+.0f", percent) + " %";
}

}  // namespace

ViewFigures compute_view_figures(const Records& records) {
    ViewFigures figures;
    const InterventionMode mode = records.mode;
    if (mode < MODE_NO_INTERVENTION || mode > MODE_INTERMITTENT) return figures;
    if (!run_inputs_acceptable(records, mode)) return figures;
    figures.available = true;
    figures.mode = mode;
    figures.run = summary_of(records, mode);
    if (mode != MODE_NO_INTERVENTION && run_inputs_acceptable(records, MODE_NO_INTERVENTION)) {
        figures.has_baseline = true;
        figures.baseline = summary_of(records, MODE_NO_INTERVENTION);
        if (records.care.enabled) {
            figures.baseline_care = care_summary_of(records, MODE_NO_INTERVENTION);
        }
    }
    if (records.care.enabled) {
        figures.has_care = true;
        figures.care = care_summary_of(records, mode);
    }
    return figures;
}

std::string summary_value_text(const SummaryRow& row, int column) {
    const SummaryValue& value = row[column];
    switch (value.kind) {
        case SummaryValue::Kind::Empty:
            return {};
        case SummaryValue::Kind::Integer:
            return std::to_string(value.integer);
        case SummaryValue::Kind::Text:
            return value.text;
        case SummaryValue::Kind::Number:
            break;
    }
    const ValueKind kind = SUMMARY_COLUMNS[column].kind;
    const double number = std::isnan(value.number) ? std::fabs(value.number) : value.number;
    return formatted(readable_format(kind), number) + unit_of(kind);
}

std::vector<FigureLine> figure_lines(const ViewFigures& figures) {
    std::vector<FigureLine> lines;
    if (!figures.available) return lines;
    for (const ShownFigure& shown : SHOWN) {
        const int column = summary_column_index(shown.name);
        if (figures.run[column].kind == SummaryValue::Kind::Empty) continue;
        FigureLine line{shown.name, shown.label, summary_value_text(figures.run, column), {}, {}};
        if (figures.has_baseline) {
            line.baseline = summary_value_text(figures.baseline, column);
            line.difference = difference_text(shown.name, figures.run[column].as_number(),
                                              figures.baseline[column].as_number());
        }
        lines.push_back(std::move(line));
    }
    if (!figures.has_care) return lines;
    for (int k = 0; k < CARE_SUMMARY_COLUMN_COUNT; ++k) {
        const ValueKind kind = CARE_SUMMARY_COLUMNS[k].kind;
        const auto text = [kind](const SummaryValue& value) {
            const double number = std::isnan(value.number) ? std::fabs(value.number) : value.number;
            return formatted(readable_format(kind), number) + unit_of(kind);
        };
        FigureLine line{SHOWN_CARE[k].name, SHOWN_CARE[k].label, text(figures.care[k]), {}, {}};
        if (figures.has_baseline) {
            line.baseline = text(figures.baseline_care[k]);
            line.difference = difference_text(SHOWN_CARE[k].name, figures.care[k].number,
                                              figures.baseline_care[k].number);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string peak_change_text(const ViewFigures& figures) {
    if (!figures.available || !figures.has_baseline) return {};
    const int peak = summary_column_index("peak_infectious");
    const int day = summary_column_index("peak_infectious_day");
    const std::string size = difference_text("peak_infectious", figures.run[peak].as_number(),
                                             figures.baseline[peak].as_number());
    const std::string when = difference_text("peak_infectious_day", figures.run[day].as_number(),
                                             figures.baseline[day].as_number());
    if (size.empty()) return {};
    return "peak " + size + (when.empty() ? std::string{} : ", " + when);
}

std::string figures_tab_text(const ViewFigures& figures) {
    std::string text = figures.has_baseline ? "figure\tvalue\tunit\tno_intervention\tdifference\n"
                                            : "figure\tvalue\tunit\n";
    // Numbers and units in cells of their own, so a spreadsheet reads the numbers.
    const auto split = [](const std::string& value, std::string& unit) {
        const std::size_t space = value.find(' ');
        unit = space == std::string::npos ? std::string{} : value.substr(space + 1);
        return value.substr(0, space);
    };
    for (const FigureLine& line : figure_lines(figures)) {
        std::string unit;
        text += line.name;
        text += '\t' + split(line.value, unit) + '\t' + unit;
        if (figures.has_baseline) {
            std::string ignored;
            text += '\t' + split(line.baseline, ignored) + '\t' + line.difference;
        }
        text += '\n';
    }
    return text;
}

}  // namespace morbilex
