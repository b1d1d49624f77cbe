#include "model/records.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace morbilex {
namespace {

bool same_bits(double a, double b) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// The numbers of each part of a scenario, each once.
constexpr double ModelParameters::*MODEL_NUMBERS[] = {
    &ModelParameters::R_0,    &ModelParameters::latent_period, &ModelParameters::infectious_period,
    &ModelParameters::dt,     &ModelParameters::init_S,        &ModelParameters::init_E,
    &ModelParameters::init_I, &ModelParameters::init_R};
constexpr double OneTimePlan::*ONE_TIME_NUMBERS[] = {
    &OneTimePlan::Redct1, &OneTimePlan::t_srt1, &OneTimePlan::t_stp1,
    &OneTimePlan::Redct2, &OneTimePlan::t_srt2, &OneTimePlan::t_stp2,
    &OneTimePlan::Redct3, &OneTimePlan::t_srt3, &OneTimePlan::t_stp3};
constexpr double IntermittentPlan::*INTERMITTENT_NUMBERS[] = {&IntermittentPlan::Reduction,
                                                              &IntermittentPlan::On_threshold,
                                                              &IntermittentPlan::Off_threshold};

constexpr double CareParameters::*CARE_NUMBERS[] = {
    &CareParameters::hospital_fraction, &CareParameters::hospital_stay,
    &CareParameters::icu_fraction, &CareParameters::icu_stay, &CareParameters::fatality_ratio};

template <typename Part, std::size_t N>
bool same_numbers(const Part& a, const Part& b, double Part::*const (&numbers)[N]) {
    for (double Part::*number : numbers) {
        if (!same_bits(a.*number, b.*number)) return false;
    }
    return true;
}

}  // namespace

bool same_scenario(const Scenario& a, const Scenario& b) {
    return a.model.n_steps == b.model.n_steps && same_numbers(a.model, b.model, MODEL_NUMBERS) &&
           same_numbers(a.one_time, b.one_time, ONE_TIME_NUMBERS) &&
           same_numbers(a.intermittent, b.intermittent, INTERMITTENT_NUMBERS) &&
           a.care.enabled == b.care.enabled && same_numbers(a.care, b.care, CARE_NUMBERS);
}

ResultTable::ResultTable(const ResultTable& other)
    : rows_(other.rows_ ? std::make_unique<Rows>(*other.rows_) : nullptr) {}

ResultTable& ResultTable::operator=(const ResultTable& other) {
    if (this != &other) rows_ = other.rows_ ? std::make_unique<Rows>(*other.rows_) : nullptr;
    return *this;
}

CompartmentValues* ResultTable::rows() {
    if (!rows_) rows_ = std::make_unique<Rows>();
    return rows_->data();
}

Records& program_records() {
    static Records records;
    return records;
}

namespace {

struct SeriesName {
    CapacitySeries series;
    const char* name;
    const char* label;
};
constexpr SeriesName SERIES_NAMES[] = {
    {CapacitySeries::Infectious, "infectious", "infectious"},
    {CapacitySeries::Hospital, "hospital", "persons in hospital"},
    {CapacitySeries::IntensiveCare, "icu", "persons in intensive care"},
};

}  // namespace

const char* capacity_series_name(CapacitySeries series) {
    for (const SeriesName& entry : SERIES_NAMES) {
        if (entry.series == series) return entry.name;
    }
    return "";
}

const char* capacity_series_label(CapacitySeries series) {
    for (const SeriesName& entry : SERIES_NAMES) {
        if (entry.series == series) return entry.label;
    }
    return "";
}

bool capacity_series_of_name(std::string_view name, CapacitySeries& series) {
    for (const SeriesName& entry : SERIES_NAMES) {
        if (name == entry.name) {
            series = entry.series;
            return true;
        }
    }
    return false;
}

}  // namespace morbilex
