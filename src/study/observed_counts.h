// Observed counts: a CSV of days (or dates) and counts, what the counts
// measure, and the population and reporting fraction behind them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morbilex {

// What a count measures: persons infectious on the day, new infectious cases
// during the day before it (the flow from E to I), or that flow summed from
// day 0.
enum class CountMeasure { Prevalence, Incidence, Cumulative };

// "prevalence", "incidence" or "cumulative"; false for any other name.
bool count_measure_named(std::string_view name, CountMeasure& measure);
const char* count_measure_name(CountMeasure measure);

inline constexpr double DEFAULT_COUNTED_POPULATION = 10000.0;

// How the counts relate to the model: the model's persons per 10,000 times
// population / 10,000, times the share of cases that are reported.
struct CountObservation {
    CountMeasure measure = CountMeasure::Prevalence;
    double population = DEFAULT_COUNTED_POPULATION;
    double reporting = 1.0;
};

struct ObservedPoint {
    double day = 0.0;  // days since the model's day 0
    double count = 0.0;
    int line = 0;  // in the file, from 1
};

struct ObservedCounts {
    std::vector<ObservedPoint> points;  // days strictly increasing
    std::string column;                 // the count column's name
};

struct CountReading {
    // The count column's name; empty: the only column besides the day's.
    std::string column;
    // YYYY-MM-DD of day 0 for a date column; empty: the first date.
    std::string day_zero_date;
};

// Reads a CSV: a header naming a column "day" (days since day 0, a number
// at or above 0) or "date" (YYYY-MM-DD), and a count column; empty counts
// are skipped. False with "line N: why" (or a reason without a line for the
// options) in reason, and counts untouched.
bool read_observed_counts(std::string_view text, const CountReading& reading,
                          ObservedCounts& counts, std::string& reason);

// The header of a counts CSV (its first line that is not blank): the names
// of its count columns (all but the day's or date's) and whether its days
// are dates; false when it names no single day or date column.
bool counts_header(std::string_view text, std::vector<std::string>& columns, bool& dates);

// Days since 1970-01-01 of a YYYY-MM-DD date; false when it is not one.
bool read_iso_date(std::string_view text, long long& days);

}  // namespace morbilex
