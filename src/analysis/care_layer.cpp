#include "analysis/care_layer.h"

#include "model/run_loop.h"
#include "model/seir_step.h"
#include "model/simulation.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

// The care rates of a step, with the run's sigma and gamma.
struct CareRates {
    double hospital_fraction;
    double hospital_leave;
    double icu_fraction;
    double icu_leave;
    double fatality_ratio;
};

// One Runge-Kutta step of the care values from the row y the run starts the
// step from. The stages of S, E and I are formed in exactly the operations
// and order of the run's step, so the layer sees the very trial states the
// run saw; the care values follow rk4_step's own update.
void care_step(const double y[COMPARTMENT_COUNT], double beta, double gamma, double sigma,
               const CareRates& c, const SeirStepFactors<double>& f,
               double care[CARE_SERIES_COUNT]) {
    const double minus_beta = -beta;
    const double y0[3] = {y[0], y[1], y[2]};
    const double care0[2] = {care[0], care[1]};
    double S = y[0], E = y[1], I = y[2];
    double H = care[0], C = care[1];
    for (int s = 0; s < 4; ++s) {
        const double onset = sigma * E;
        const double recovery = gamma * I;
        const double k_S = (minus_beta * S) * I;
        const double k_E = (beta * S) * I - onset;
        const double k_I = onset - recovery;
        const double admissions = c.hospital_fraction * onset;
        const double k_H = admissions - c.hospital_leave * H;
        const double k_C = c.icu_fraction * admissions - c.icu_leave * C;
        const double k_D = c.fatality_ratio * recovery;
        care[0] = f.weight[s] * k_H + care[0];
        care[1] = f.weight[s] * k_C + care[1];
        care[2] = f.weight[s] * k_D + care[2];
        if (s < 3) {
            S = f.stage[s] * k_S + y0[0];
            E = f.stage[s] * k_E + y0[1];
            I = f.stage[s] * k_I + y0[2];
            H = f.stage[s] * k_H + care0[0];
            C = f.stage[s] * k_C + care0[1];
        }
    }
}

// A sink of the run loop that keeps nothing but the care layer.
class CareSink {
public:
    explicit CareSink(const Scenario& scenario) : layer_(scenario) {}
    double* slot(int /*step*/) { return row_; }
    void row(int step, double t, int on_flag, const double* y) { layer_.row(step, t, on_flag, y); }
    void last_row(int step, double t, int /*on_flag*/, const double* /*y*/) {
        layer_.last_row(step, t);
    }
    CareLayer& layer() { return layer_; }

private:
    double row_[COMPARTMENT_COUNT] = {};
    CareLayer layer_;
};

SummaryValue number(double value) {
    SummaryValue result;
    result.kind = SummaryValue::Kind::Number;
    result.number = value;
    return result;
}

}  // namespace

CareStepper::CareStepper(const Scenario& scenario)
    : one_time_(scenario.one_time),
      intermittent_(scenario.intermittent),
      care_parameters_(scenario.care) {
    derive_rate_constants(scenario.model, rates_);
    hospital_leave_ = 1.0 / scenario.care.hospital_stay;
    icu_leave_ = 1.0 / scenario.care.icu_stay;
    dt_ = scenario.model.dt;
}

void CareStepper::step(const double* y, int on_flag) {
    step_with_beta(y, beta_for_flag(one_time_, intermittent_, rates_.beta0, on_flag));
}

void CareStepper::step_with_beta(const double* y, double beta) {
    const CareParameters& p = care_parameters_;
    const CareRates rates{p.hospital_fraction, hospital_leave_, p.icu_fraction, icu_leave_,
                          p.fatality_ratio};
    care_step(y, beta, rates_.gamma, rates_.sigma, rates, seir_step_factors(dt_), care_);
}

CareLayer::CareLayer(const Scenario& scenario) : stepper_(scenario) {
    const int rows = scenario.model.n_steps > 0 ? scenario.model.n_steps + 1 : 1;
    run_.day.reserve(rows);
    for (std::vector<double>& series : run_.values)
        series.reserve(rows);
}

void CareLayer::row(int /*step*/, double t, int on_flag, const double* y) {
    last_row(0, t);
    stepper_.step(y, on_flag);
}

void CareLayer::last_row(int /*step*/, double t) {
    run_.day.push_back(t);
    for (int k = 0; k < CARE_SERIES_COUNT; ++k)
        run_.values[k].push_back(stepper_.value(ALL_CARE_SERIES[k]));
}

CareRun integrate_care(const ScenarioInputs& scenario) {
    CareSink sink(scenario);
    RateConstants rates;
    integrate_run(scenario.model, scenario.one_time, scenario.intermittent, scenario.mode, rates,
                  sink);
    return sink.layer().take();
}

CareFigures care_figures(const CareRun& run) {
    CareFigures figures;
    const std::vector<double>& hospital = run.series(CareSeries::Hospital);
    const std::vector<double>& icu = run.series(CareSeries::IntensiveCare);
    for (int r = 0; r < run.rows(); ++r) {
        if (hospital[r] > figures.peak_hospital) {
            figures.peak_hospital = hospital[r];
            figures.peak_hospital_row = r;
        }
        if (icu[r] > figures.peak_icu) {
            figures.peak_icu = icu[r];
            figures.peak_icu_row = r;
        }
    }
    if (run.rows() > 0) figures.deaths = run.series(CareSeries::Deaths).back();
    return figures;
}

CareSummaryRow summarise_care(const CareFigures& figures) {
    return {number(figures.peak_hospital), number(figures.peak_icu), number(figures.deaths)};
}

std::string care_csv_header() {
    std::string header;
    for (const SummaryColumn& column : CARE_SUMMARY_COLUMNS) {
        header += ',';
        header += column.name;
    }
    return header;
}

void append_care_summary_csv(std::string& out, const CareSummaryRow& row) {
    for (const SummaryValue& value : row) {
        out += ',';
        append_csv_value(out, value);
    }
}

void append_care_summary_json(std::string& out, const CareSummaryRow& row) {
    for (int k = 0; k < CARE_SUMMARY_COLUMN_COUNT; ++k) {
        out += ",\"";
        out += CARE_SUMMARY_COLUMNS[k].name;
        out += "\":";
        append_json_value(out, row[k]);
    }
}

std::string readable_care_summary(const CareSummaryRow& row) {
    std::string block;
    for (int k = 0; k < CARE_SUMMARY_COLUMN_COUNT; ++k) {
        append_readable_line(block, CARE_SUMMARY_COLUMNS[k], row[k]);
    }
    return block;
}

std::string care_rows_csv(const CareRun& run) {
    std::string out = "day";
    for (const char* name : CARE_SERIES_NAMES) {
        out += ',';
        out += name;
    }
    out += '\n';
    out.reserve(out.size() + static_cast<std::size_t>(run.rows()) * 64);
    for (int r = 0; r < run.rows(); ++r) {
        append_shortest(out, run.day[r]);
        for (const std::vector<double>& series : run.values) {
            out += ',';
            append_shortest(out, series[r]);
        }
        out += '\n';
    }
    return out;
}

}  // namespace morbilex
