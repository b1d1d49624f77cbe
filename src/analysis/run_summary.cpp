#include "analysis/run_summary.h"

#include <algorithm>
#include <cmath>

#include "text/format.h"

namespace morbilex {
namespace {

enum Column : int {
    MODE,
    R_0,
    LATENT_PERIOD,
    INFECTIOUS_PERIOD,
    T_MAX_DAYS,
    INIT_S,
    INIT_E,
    INIT_I,
    INIT_R,
    REDCT1,  // the nine fields of the one-time plan, in the plan's order
    REDUCTION = REDCT1 + 9,
    ON_THRESHOLD,
    OFF_THRESHOLD,
    PEAK_INFECTIOUS,
    PEAK_INFECTIOUS_DAY,
    PEAK_EXPOSED,
    PEAK_EXPOSED_DAY,
    FINAL_S,
    FINAL_E,
    FINAL_I,
    FINAL_R,
    ATTACK_RATE,
    DAYS_REDUCED,
    FRACTION_REDUCED,
    SWITCHES_ON,
    FIRST_ON_DAY,
    LONGEST_ON_DAYS,
    HERD_IMMUNITY_THRESHOLD,
    DAY_BELOW_THRESHOLD,
    FINAL_S_ANALYTIC,
    FINAL_S_GAP,
    CONSERVATION_DRIFT,
    STATUS,
    FIRST_NON_FINITE_DAY,
    COLUMN_END,
};
static_assert(COLUMN_END == SUMMARY_COLUMN_COUNT, "a name for every column");

SummaryValue number(double value) {
    SummaryValue result;
    result.kind = SummaryValue::Kind::Number;
    result.number = value;
    return result;
}
SummaryValue integer(long long value) {
    SummaryValue result;
    result.kind = SummaryValue::Kind::Integer;
    result.integer = value;
    return result;
}
SummaryValue text(const char* value) {
    SummaryValue result;
    result.kind = SummaryValue::Kind::Text;
    result.text = value;
    return result;
}
// A day of a row or step number; empty for -1 (none).
SummaryValue day_of(int row, double dt) {
    return row < 0 ? SummaryValue{} : number(row * dt);
}

void summarise_inputs(const ScenarioInputs& s, int steps, SummaryRow& row) {
    const ModelParameters& m = s.model;
    row[MODE] = integer(s.mode);
    row[R_0] = number(m.R_0);
    row[LATENT_PERIOD] = number(m.latent_period);
    row[INFECTIOUS_PERIOD] = number(m.infectious_period);
    row[T_MAX_DAYS] = number(steps * m.dt);
    row[INIT_S] = number(m.init_S);
    row[INIT_E] = number(m.init_E);
    row[INIT_I] = number(m.init_I);
    row[INIT_R] = number(m.init_R);
    const OneTimePlan& p = s.one_time;
    const double one_time[9] = {p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2,
                                p.t_stp2, p.Redct3, p.t_srt3, p.t_stp3};
    for (int k = 0; k < 9; ++k)
        row[REDCT1 + k] = s.mode == MODE_ONE_TIME ? number(one_time[k]) : SummaryValue{};
    const bool intermittent = s.mode == MODE_INTERMITTENT;
    row[REDUCTION] = intermittent ? number(s.intermittent.Reduction) : SummaryValue{};
    row[ON_THRESHOLD] = intermittent ? number(s.intermittent.On_threshold) : SummaryValue{};
    row[OFF_THRESHOLD] = intermittent ? number(s.intermittent.Off_threshold) : SummaryValue{};
}

void summarise_curves(const ScenarioInputs& s, const RunFigures& f, int steps, SummaryRow& row) {
    const double dt = s.model.dt;
    row[PEAK_INFECTIOUS] = number(f.peak_infectious);
    row[PEAK_INFECTIOUS_DAY] = day_of(f.peak_infectious_row, dt);
    row[PEAK_EXPOSED] = number(f.peak_exposed);
    row[PEAK_EXPOSED_DAY] = day_of(f.peak_exposed_row, dt);
    row[FINAL_S] = number(f.final_S);
    row[FINAL_E] = number(f.final_E);
    row[FINAL_I] = number(f.final_I);
    row[FINAL_R] = number(f.final_R);
    row[ATTACK_RATE] = number((s.model.init_S - f.final_S) / POPULATION_BASE);
    const double days_reduced = f.steps_reduced * dt;
    row[DAYS_REDUCED] = number(days_reduced);
    row[FRACTION_REDUCED] = steps > 0 ? number(days_reduced / (steps * dt)) : SummaryValue{};
    row[SWITCHES_ON] = integer(f.switches_on);
    row[FIRST_ON_DAY] = day_of(f.first_on_step, dt);
    row[LONGEST_ON_DAYS] = number(f.longest_on_steps * dt);
    row[DAY_BELOW_THRESHOLD] = day_of(f.first_below_threshold_row, dt);
    row[CONSERVATION_DRIFT] = number(f.conservation_drift);
    const bool finite = f.first_non_finite_row < 0;
    row[STATUS] = text(finite ? "ok" : "non-finite");
    row[FIRST_NON_FINITE_DAY] = day_of(f.first_non_finite_row, dt);
}

void summarise_final_size(const ScenarioInputs& s, const RunFigures& f, SummaryRow& row) {
    const double R0 = s.model.R_0;
    row[HERD_IMMUNITY_THRESHOLD] = R0 > 1.0 ? number(1.0 - 1.0 / R0) : SummaryValue{};
    row[FINAL_S_ANALYTIC] = row[FINAL_S_GAP] = SummaryValue{};
    if (s.mode != MODE_NO_INTERVENTION) return;
    const double analytic = final_susceptible_analytic(s.model);
    row[FINAL_S_ANALYTIC] = number(analytic);
    row[FINAL_S_GAP] = number(f.final_S - analytic);
}

}  // namespace

const char* readable_format(ValueKind kind) {
    switch (kind) {
        case ValueKind::Persons:
        case ValueKind::Days:
            return "%.2f";
        case ValueKind::Fraction:
            return "%.4f";
        case ValueKind::Parameter:
            return "%.4g";
        case ValueKind::Small:
            return "%.3g";
        case ValueKind::Count:
        case ValueKind::Text:
            break;
    }
    return "%g";
}

const char* unit_of(ValueKind kind) {
    switch (kind) {
        case ValueKind::Persons:
            return " persons";
        case ValueKind::Days:
            return " days";
        default:
            return "";
    }
}

int summary_column_index(std::string_view name) {
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k) {
        if (name == SUMMARY_COLUMNS[k].name) return k;
    }
    return -1;
}

double SummaryValue::as_number() const {
    if (kind == Kind::Number) return number;
    if (kind == Kind::Integer) return static_cast<double>(integer);
    return std::nan("");
}

void summarise_run(const ScenarioInputs& scenario, const RunFigures& figures, SummaryRow& row) {
    const int steps = std::max(scenario.model.n_steps, 0);
    summarise_inputs(scenario, steps, row);
    summarise_curves(scenario, figures, steps, row);
    summarise_final_size(scenario, figures, row);
}

// With u = ln S, g(u) = ln S(0) - u - R_0 * (10000 - R(0) - e^u) / 10000 falls
// through zero once between ln S(0) and ln S(0) - R_0 * (10000 - R(0)) / 10000.
// Newton's steps, kept inside the bracket that shrinks around the root (a
// halving when a step would leave it), find it to the last bit.
double final_susceptible_analytic(const ModelParameters& m) {
    const double S0 = m.init_S;
    if (!(S0 > 0.0)) return 0.0;
    // Nobody to infect anyone, or no transmission.
    if (m.init_E + m.init_I == 0.0 || m.R_0 == 0.0) return S0;
    const double log_S0 = std::log(S0);
    const double scale = m.R_0 / POPULATION_BASE;
    const double remaining = POPULATION_BASE - m.init_R;
    // Beyond these e^u is 0 or not finite in doubles.
    const double other_end = std::clamp(log_S0 - scale * remaining, -746.0, 710.0);
    double low = std::min(log_S0, other_end);
    double high = std::max(log_S0, other_end);
    double u = low + (high - low) * 0.5;
    for (int k = 0; k < 200; ++k) {
        const double e = std::exp(u);
        const double g = (log_S0 - u) - scale * (remaining - e);
        (g > 0.0 ? low : high) = u;
        double next = u - g / (scale * e - 1.0);
        if (!(next > low && next < high)) next = low + (high - low) * 0.5;
        if (next == u || !(low < high)) break;
        u = next;
    }
    return std::exp(u);
}

void append_csv_value(std::string& out, const SummaryValue& value) {
    switch (value.kind) {
        case SummaryValue::Kind::Number:
            append_shortest(out, value.number);
            break;
        case SummaryValue::Kind::Integer:
            out += std::to_string(value.integer);
            break;
        case SummaryValue::Kind::Text:
            out += value.text;
            break;
        case SummaryValue::Kind::Empty:
            break;
    }
}

void append_json_value(std::string& out, const SummaryValue& value) {
    switch (value.kind) {
        case SummaryValue::Kind::Number:
            if (std::isfinite(value.number)) {
                append_shortest(out, value.number);
            } else {
                out += "null";
            }
            break;
        case SummaryValue::Kind::Integer:
            out += std::to_string(value.integer);
            break;
        case SummaryValue::Kind::Text:
            out += '"';
            out += value.text;
            out += '"';
            break;
        case SummaryValue::Kind::Empty:
            out += "null";
            break;
    }
}

std::string summary_csv_header() {
    std::string header;
    for (const SummaryColumn& column : SUMMARY_COLUMNS) {
        if (!header.empty()) header += ',';
        header += column.name;
    }
    return header;
}

void append_summary_csv(std::string& out, const SummaryRow& row) {
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k) {
        if (k > 0) out += ',';
        append_csv_value(out, row[k]);
    }
}

void append_summary_json(std::string& out, const SummaryRow& row) {
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k) {
        if (k > 0) out += ',';
        out += '"';
        out += SUMMARY_COLUMNS[k].name;
        out += "\":";
        append_json_value(out, row[k]);
    }
}

void append_readable_line(std::string& block, const SummaryColumn& column,
                          const SummaryValue& value) {
    if (value.kind == SummaryValue::Kind::Empty) return;
    char line[128];
    std::string text = std::string("  ") + column.name;
    text.resize(std::max<std::size_t>(text.size() + 1, 27), ' ');
    if (value.kind == SummaryValue::Kind::Number) {
        // A NaN's sign follows the compiler's operand order, not the model.
        const double number = std::isnan(value.number) ? std::fabs(value.number) : value.number;
        format_text(line, sizeof line, readable_format(column.kind), {number});
        text += line;
        text += unit_of(column.kind);
    } else {
        append_csv_value(text, value);
    }
    block += text + '\n';
}

std::string readable_summary(const SummaryRow& row) {
    std::string block = "Run summary\n";
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k)
        append_readable_line(block, SUMMARY_COLUMNS[k], row[k]);
    return block;
}

}  // namespace morbilex
