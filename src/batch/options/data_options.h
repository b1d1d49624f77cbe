// The options of observed counts and of fitting them: --data=FILE.csv and
// what the counts measure, --fit=FIELD,... and where the fit is written.
#pragma once

#include <string>
#include <vector>

#include "study/count_fit.h"
#include "study/observed_counts.h"

namespace morbilex::batch {

struct GivenOption;
struct OptionTargets;

struct DataOptions {
    std::string path;    // empty: no counts file
    std::string text;    // the counts a scenario keeps, read in place of a file
    std::string option;  // --data=... as given, for messages
    CountReading reading;
    CountObservation observation;
    FitObjective objective = FitObjective::LeastSquares;
    std::vector<const FitField*> fit;  // empty: no fit
    std::string fit_output;            // empty: no fit file
    bool any_given = false;            // any of these options appeared

    bool given() const { return !path.empty() || !text.empty(); }
};

bool read_data(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_data_series(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_data_column(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_data_day_zero(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_population(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_reporting(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_fit(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_fit_objective(const GivenOption& given, OptionTargets& into, std::string& error);
bool read_fit_output(const GivenOption& given, OptionTargets& into, std::string& error);

// The counts a scenario file links (records.counts_link of the file the
// option names), read as their options would be; the rows it keeps are
// its counts, whatever file its "data" line names.
bool read_counts_link(const GivenOption& scenario,
                      const std::vector<std::pair<std::string, std::string>>& link,
                      OptionTargets& into, std::string& error);

// The lines --help adds for these options.
const char* data_usage_text();

}  // namespace morbilex::batch
