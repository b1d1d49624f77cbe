// One run summed up in a flat row: its inputs as stored after the dialogs'
// repairs and the figures of its curves, in persons per 10,000 and days.
// Single runs and sweeps write the same columns, so their rows can be joined.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "analysis/run_figures.h"
#include "text/shortest.h"

namespace morbilex {

// How a column's value reads.
enum class ValueKind { Count, Parameter, Persons, Days, Fraction, Small, Text };

struct SummaryColumn {
    const char* name;
    ValueKind kind;
};

// Every column, in output order. The plan columns of the mode not in force,
// and the mode 0 check of the final size, stay empty.
inline constexpr SummaryColumn SUMMARY_COLUMNS[] = {
    {"mode", ValueKind::Count},
    {"R_0", ValueKind::Parameter},
    {"latent_period", ValueKind::Days},
    {"infectious_period", ValueKind::Days},
    {"T_max_days", ValueKind::Days},
    {"init_S", ValueKind::Persons},
    {"init_E", ValueKind::Persons},
    {"init_I", ValueKind::Persons},
    {"init_R", ValueKind::Persons},
    {"Redct1", ValueKind::Fraction},
    {"t_srt1", ValueKind::Days},
    {"t_stp1", ValueKind::Days},
    {"Redct2", ValueKind::Fraction},
    {"t_srt2", ValueKind::Days},
    {"t_stp2", ValueKind::Days},
    {"Redct3", ValueKind::Fraction},
    {"t_srt3", ValueKind::Days},
    {"t_stp3", ValueKind::Days},
    {"Reduction", ValueKind::Fraction},
    {"On_threshold", ValueKind::Persons},
    {"Off_threshold", ValueKind::Persons},
    {"peak_infectious", ValueKind::Persons},
    {"peak_infectious_day", ValueKind::Days},
    {"peak_exposed", ValueKind::Persons},
    {"peak_exposed_day", ValueKind::Days},
    {"final_S", ValueKind::Persons},
    {"final_E", ValueKind::Persons},
    {"final_I", ValueKind::Persons},
    {"final_R", ValueKind::Persons},
    {"attack_rate", ValueKind::Fraction},
    {"days_reduced", ValueKind::Days},
    {"fraction_reduced", ValueKind::Fraction},
    {"switches_on", ValueKind::Count},
    {"first_on_day", ValueKind::Days},
    {"longest_on_days", ValueKind::Days},
    {"herd_immunity_threshold", ValueKind::Fraction},
    {"day_below_threshold", ValueKind::Days},
    {"final_S_analytic", ValueKind::Persons},
    {"final_S_gap", ValueKind::Small},
    {"conservation_drift", ValueKind::Small},
    {"status", ValueKind::Text},
    {"first_non_finite_day", ValueKind::Days},
};
inline constexpr int SUMMARY_COLUMN_COUNT = static_cast<int>(std::size(SUMMARY_COLUMNS));

// The column of this name, or -1.
int summary_column_index(std::string_view name);

struct SummaryValue {
    enum class Kind { Empty, Number, Integer, Text };
    Kind kind = Kind::Empty;
    double number = 0.0;
    long long integer = 0;
    const char* text = "";

    // The value as a number: NaN when empty or text.
    double as_number() const;
};
using SummaryRow = std::array<SummaryValue, SUMMARY_COLUMN_COUNT>;

// The row of a run from what it read and what its curves gave.
void summarise_run(const ScenarioInputs& scenario, const RunFigures& figures, SummaryRow& row);

// S at the end of an epidemic without intervention, from the model's final-size
// relation ln(S(0)/S) = R_0 * (10000 - S - R(0)) / 10000.
double final_susceptible_analytic(const ModelParameters& model);

// A value in a CSV cell (empty stays empty) or as a JSON value (empty and
// non-finite numbers are null).
void append_csv_value(std::string& out, const SummaryValue& value);
void append_json_value(std::string& out, const SummaryValue& value);

// The summary's part of a CSV header and of a row: the names, or the cells,
// joined with commas, no line end. A sweep puts its run_id and swept values
// before them.
std::string summary_csv_header();
void append_summary_csv(std::string& out, const SummaryRow& row);
// The summary's "name":value pairs of a JSON object, joined with commas.
void append_summary_json(std::string& out, const SummaryRow& row);

// How the block --summary prints a value of this kind: its format and the
// unit after it (" persons", " days" or nothing).
const char* readable_format(ValueKind kind);
const char* unit_of(ValueKind kind);

// The block --summary prints: one line a figure, with its unit.
std::string readable_summary(const SummaryRow& row);
// One line of that block (none for an empty value).
void append_readable_line(std::string& block, const SummaryColumn& column,
                          const SummaryValue& value);

}  // namespace morbilex
