// The process-wide records of Morbilex: model parameters, intervention plans,
// axis scale, rate constants, result table and the intervention mode.
#pragma once

#include <string>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morbilex {

inline constexpr int MAX_STEPS = 40000;
inline constexpr double POPULATION_BASE = 10000.0;
inline constexpr int COMPARTMENT_COUNT = 4;
inline constexpr const char* COMPARTMENT_NAMES[COMPARTMENT_COUNT] = {"Susceptible", "Exposed",
                                                                     "Infectious", "Recovered"};

struct ModelParameters {
    double R_0 = 2.5;
    double latent_period = 4.6;
    double infectious_period = 5.0;
    double dt = 0.25;
    int n_steps = 800;
    double init_S = 9999.9;
    double init_E = 0.1;
    double init_I = 0.0;
    double init_R = 0.0;
};

struct OneTimePlan {
    double Redct1 = 0.8, t_srt1 = 10.0, t_stp1 = 70.0;
    double Redct2 = 0.0, t_srt2 = 70.0, t_stp2 = 70.0;
    double Redct3 = 0.0, t_srt3 = 70.0, t_stp3 = 70.0;
};

struct IntermittentPlan {
    double Reduction = 0.8;
    double On_threshold = 35.0;
    double Off_threshold = 5.0;
};

// What the hospitals see of a run (off unless asked): persons admitted to
// hospital as a share of the new infectious cases, of those a share in
// intensive care, each for a mean stay, and deaths as a share of those who
// leave the infectious. It never changes S, E, I or R.
struct CareParameters {
    bool enabled = false;
    double hospital_fraction = 0.03;  // of new infectious cases
    double hospital_stay = 8.0;       // days
    double icu_fraction = 0.2;        // of hospital admissions
    double icu_stay = 10.0;           // days
    double fatality_ratio = 0.005;    // of those who leave I
};

// A scenario: the fields the dialogs fill in, which a run reads besides its
// mode, and the care layer's fields.
struct Scenario {
    ModelParameters model;
    OneTimePlan one_time;
    IntermittentPlan intermittent;
    CareParameters care;
};
// True when every field holds the same bits (a NaN matches only the same NaN,
// 0 does not match -0).
bool same_scenario(const Scenario& a, const Scenario& b);

struct AxisScale {
    double xmin = 0.0;
    double xmax = 200.0;
    double ymin = 0.0;
    double ymax = 100.0;
    double x_per_day = 100.0;     // written back by every chart drawing
    double y_per_person = 100.0;  // constant
};

struct RateConstants {
    double beta0 = 0.0;
    double beta = 0.0;
    double gamma = 0.0;
    double sigma = 0.0;
};

using CompartmentValues = std::array<double, COMPARTMENT_COUNT>;

// The result table: row j holds S, E, I and R at the start of step j. Its
// 1.28 MB are allocated, zeroed, on the first write, so records that only
// carry fields (a sweep's scenario set-up) never pay for them; rows never
// written read as zeros.
class ResultTable {
public:
    ResultTable() = default;
    ResultTable(const ResultTable& other);
    ResultTable& operator=(const ResultTable& other);
    ResultTable(ResultTable&&) noexcept = default;
    ResultTable& operator=(ResultTable&&) noexcept = default;

    CompartmentValues& operator[](std::size_t row) { return rows()[row]; }
    const CompartmentValues& operator[](std::size_t row) const {
        return rows_ ? (*rows_)[row] : NO_ROW;
    }
    // The rows, allocated now if they were not.
    CompartmentValues* rows();

private:
    using Rows = std::array<CompartmentValues, MAX_STEPS>;
    static constexpr CompartmentValues NO_ROW{};
    std::unique_ptr<Rows> rows_;
};

// -1 before the first calculation (title screen), then 0, 1 or 2.
using InterventionMode = int;
inline constexpr InterventionMode MODE_NOTHING_CALCULATED = -1;
inline constexpr InterventionMode MODE_NO_INTERVENTION = 0;
inline constexpr InterventionMode MODE_ONE_TIME = 1;
inline constexpr InterventionMode MODE_INTERMITTENT = 2;

// What can be cared for at once, held against a series of the run: off by
// default. The care layer's hospital and intensive care series are held
// against it as the infectious are, their care fields applying.
enum class CapacitySeries { Infectious, Hospital, IntensiveCare };
struct CapacitySetting {
    bool set = false;
    double capacity = 0.0;  // persons per 10,000
    CapacitySeries series = CapacitySeries::Infectious;
};
// The series' name as settings, files and options spell it; the series of a
// name (false for an unknown one); how a label names it.
const char* capacity_series_name(CapacitySeries series);
bool capacity_series_of_name(std::string_view name, CapacitySeries& series);
const char* capacity_series_label(CapacitySeries series);

// Everything the program knows, in one place. The programs use the single
// instance of program_records(); tests make their own.
// Its scenario part is the one a run reads.
struct Records : Scenario {
    AxisScale scale;
    RateConstants rates;
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    ResultTable results;
    CapacitySetting capacity;
    // The scenario file last opened or saved (a full path; empty for none):
    // the window's title and the copied figures name it, and it is remembered.
    std::string scenario_file;
    // The observed counts the scenario goes with, as its file names them:
    // (name, text) in the file's order, such as ("data", "counts.csv") and
    // ("population", "763"); the programs read the counts and check the texts.
    // Counts kept in the scenario itself are ("data_row", LINE) entries.
    std::vector<std::pair<std::string, std::string>> counts_link;
    // The fields' ranges the scenario goes with, as its file gives them:
    // (field, "low:high[:mode]") for each "field.range = ..." line, in order;
    // the explorer reads and checks them.
    std::vector<std::pair<std::string, std::string>> range_lines;
};

Records& program_records();

}  // namespace morbilex
