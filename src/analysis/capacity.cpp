#include "analysis/capacity.h"

#include <cmath>
#include <limits>

#include "model/run_loop.h"

namespace morbilex {
namespace {

// The run's figures and the capacity figures, fed the same rows.
class CapacitySink {
public:
    CapacitySink(const ScenarioInputs& scenario, const CapacitySetting& setting)
        : figure_rows_(scenario), tracker_(scenario, setting) {}

    double* slot(int) { return row_; }
    void row(int step, double, int on_flag, const double* y) {
        figure_rows_.row(step, on_flag, y);
        tracker_.row(step, on_flag, y);
    }
    void last_row(int step, double, int, const double* y) {
        figure_rows_.last_row(step, y);
        tracker_.last_row(step, y);
    }
    RunAgainstCapacity result() const { return {figure_rows_.figures(), tracker_.figures()}; }

private:
    FigureRows figure_rows_;
    CapacityTracker tracker_;
    double row_[COMPARTMENT_COUNT] = {};
};

SummaryValue number(double value) {
    SummaryValue result;
    result.kind = SummaryValue::Kind::Number;
    result.number = value;
    return result;
}

}  // namespace

double capacity_series_value(CapacitySeries, const double y[COMPARTMENT_COUNT]) {
    return y[2];
}

bool capacity_on_care(CapacitySeries series) {
    return series != CapacitySeries::Infectious;
}

CareSeries care_series_of(CapacitySeries series) {
    return series == CapacitySeries::IntensiveCare ? CareSeries::IntensiveCare
                                                   : CareSeries::Hospital;
}

CapacityTracker::CapacityTracker(const ScenarioInputs& scenario, const CapacitySetting& setting)
    : series_(setting.series), gatherer_(setting.capacity, scenario.model.dt) {
    if (capacity_on_care(series_)) care_.emplace(scenario);
}

double CapacityTracker::value(const double* y) const {
    return care_ ? care_->value(care_series_of(series_)) : capacity_series_value(series_, y);
}

void CapacityTracker::row(int step, int on_flag, const double* y) {
    gatherer_.add(step, value(y), false);
    if (care_) care_->step(y, on_flag);
}

void CapacityTracker::last_row(int step, const double* y) {
    gatherer_.add(step, value(y), true);
}

CapacityGatherer::CapacityGatherer(double capacity, double dt) : dt_(dt) {
    figures_.capacity = capacity;
    figures_.peak = -std::numeric_limits<double>::infinity();
}

void CapacityGatherer::add(int row, double value, bool last_row) {
    CapacityFigures& f = figures_;
    if (value > f.peak || row == 0) {
        f.peak = value;
        f.peak_row = row;
    }
    if (value > f.capacity) {
        if (f.first_over_row < 0) f.first_over_row = row;
        if (!last_row) {
            ++f.steps_over;
            f.person_days_over += (value - f.capacity) * dt_;
        }
    }
    if (last_row) f.peak_percent = f.peak / f.capacity * 100.0;
}

RunAgainstCapacity integrate_against_capacity(const ScenarioInputs& scenario,
                                              const CapacitySetting& setting) {
    CapacitySink sink(scenario, setting);
    RateConstants rates;
    integrate_run(scenario.model, scenario.one_time, scenario.intermittent, scenario.mode, rates,
                  sink);
    return sink.result();
}

CapacityFigures capacity_figures_of_rows(std::span<const CompartmentValues> rows, double dt,
                                         const CapacitySetting& setting) {
    CapacityGatherer gatherer(setting.capacity, dt);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        gatherer.add(static_cast<int>(r), capacity_series_value(setting.series, rows[r].data()),
                     r + 1 == rows.size());
    }
    return gatherer.figures();
}

CapacityFigures capacity_figures_of_values(std::span<const double> values, double dt,
                                           double capacity) {
    CapacityGatherer gatherer(capacity, dt);
    for (std::size_t r = 0; r < values.size(); ++r)
        gatherer.add(static_cast<int>(r), values[r], r + 1 == values.size());
    return gatherer.figures();
}

bool still_running(const RunFigures& figures) {
    return figures.final_E + figures.final_I > STILL_RUNNING_PERSONS;
}

void summarise_capacity(const CapacitySetting& setting, const CapacityFigures& capacity,
                        const RunFigures& figures, double dt, CapacityRow& row) {
    row[0] = number(setting.capacity);
    row[1].kind = SummaryValue::Kind::Text;
    row[1].text = capacity_series_name(setting.series);
    row[2] = number(capacity.peak);
    row[3] = number(capacity.peak_percent);
    row[4] = capacity.first_over_row < 0 ? SummaryValue{} : number(capacity.first_over_row * dt);
    row[5] = number(capacity.steps_over * dt);
    row[6] = number(capacity.person_days_over);
    row[7].kind = SummaryValue::Kind::Integer;
    row[7].integer = still_running(figures) ? 1 : 0;
}

void append_capacity_csv_header(std::string& out) {
    for (const SummaryColumn& column : CAPACITY_COLUMNS) {
        out += ',';
        out += column.name;
    }
}

void append_capacity_csv(std::string& out, const CapacityRow& row) {
    for (const SummaryValue& value : row) {
        out += ',';
        append_csv_value(out, value);
    }
}

void append_capacity_json(std::string& out, const CapacityRow& row) {
    for (int k = 0; k < CAPACITY_COLUMN_COUNT; ++k) {
        out += ",\"";
        out += CAPACITY_COLUMNS[k].name;
        out += "\":";
        append_json_value(out, row[k]);
    }
}

void append_capacity_readable(std::string& out, const CapacityRow& row) {
    for (int k = 0; k < CAPACITY_COLUMN_COUNT; ++k)
        append_readable_line(out, CAPACITY_COLUMNS[k], row[k]);
}

}  // namespace morbilex
