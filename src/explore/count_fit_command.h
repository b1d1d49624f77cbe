// The explorer's fit to observed counts: the counts the scenario links, the
// fields it names to fit (R_0 and the infectious period when it names none),
// the fitted values typed into the dialogs and run, and the result shown.
#pragma once

#include <string>
#include <vector>

#include "explore/observed_overlay.h"
#include "model/records.h"
#include "shell/scenario_document.h"
#include "study/count_fit.h"

namespace morbilex {

struct ExplorerContext;
struct ObservedOverlay;

// What a dialog that asks the user did.
enum class Asked { NotAsked, Chosen, Cancelled };

// Which fields a fit varies (names of fit_fields()) and by what objective.
struct FitChoice {
    std::vector<std::string> fields;
    FitObjective objective = FitObjective::LeastSquares;
};
// The choice the scenario's link names: its "fit" and "fit_objective" lines,
// R_0 and the infectious period by least squares when it names none.
FitChoice fit_choice_of(const Records& records);
// Writes the choice into the link's "fit" and "fit_objective" lines (the
// objective's line only when it is not the default or was there already).
void set_fit_choice(Records& records, const FitChoice& choice);
// What a fit dialog shows for a field of fit_fields(): its slider's label
// ("Latent period (days)"), "Reporting fraction", or the name itself.
std::string fit_field_label(const FitField& field);
// Whether a fit in this mode (MODE_NOTHING_CALCULATED: no intervention) may
// vary the field: a one-time window's fields only in the one-time mode.
bool fit_field_offered(const FitField& field, InterventionMode mode);
// The objectives a fit dialog offers, in the order of FitObjective.
inline constexpr const char* FIT_OBJECTIVE_LABELS[] = {"Least squares", "Poisson deviance"};
inline constexpr const char* FIT_CHOICE_CAPTION = "Fields to Fit";

// How a counts file is read, as the dialog on opening it asks: the file's
// count columns and whether its days are dates (offered), then the column
// read (empty: the only one), what the counts measure, and the population,
// reporting fraction and date of day 0 as typed (the link's lines).
struct CountsChoice {
    std::vector<std::string> columns;
    bool dates = false;
    std::string column;
    CountMeasure measure = CountMeasure::Prevalence;
    std::string population = "10000", reporting = "1", day_zero;
};
inline constexpr const char* COUNTS_CHOICE_CAPTION = "How the Counts Are Read";
// What a counts dialog offers for CountMeasure, in its order.
inline constexpr const char* COUNT_MEASURE_LABELS[] = {"prevalence: persons infectious on the day",
                                                       "incidence: new cases during the day before",
                                                       "cumulative: new cases summed from day 0"};
// What the link says of reading its counts (the defaults where it is silent).
CountsChoice counts_choice_of(const CountsLink& link);
// Writes the choice into the link's lines, its texts trimmed (none for a default).
void set_counts_choice(CountsLink& link, const CountsChoice& choice);

inline constexpr const char* FIT_COUNTS_CAPTION = "Fit to Observed Counts";
inline constexpr const char* OPEN_COUNTS_CAPTION = "Open Observed Counts";
// The fields fitted when the link names none.
inline constexpr const char* DEFAULT_FIT_FIELDS = "R_0,infectious_period";

// The fields, their 95 % intervals, the objective, the RMSE and what the
// fitted run says comes next, a line each.
std::string fit_result_text(const CountFit& fit, FitObjective objective);

// Fits the fields the counts' link names to fit (R_0 and the infectious
// period when it names none) with its objective, the records' scenario in
// the mode of their run; false with why there is no fit.
bool fit_linked_counts(const Records& records, const ObservedOverlay& observed, CountFit& fit,
                       FitObjective& objective, std::string& problem);

// Links the counts file the user picks to the scenario (kept with it when it
// is saved, in place of any counts it kept), read as the user says when the
// front end asks (ask_counts_choice), and shows them; a file that cannot be read is reported, and
// the link it replaced stays.
void open_observed_counts(ExplorerContext& context);

// Keeps the counts shown in the scenario itself (its data_row lines), so
// that the scenario file saved next holds them and needs no CSV beside it.
inline constexpr const char* KEEP_COUNTS_CAPTION = "Keep the Counts in the Scenario";
void keep_observed_counts(ExplorerContext& context);

// Fits, loads the fitted values into the records as typed into their dialogs,
// runs and tells the result (or why there is none) through the front end.
void fit_observed_counts(ExplorerContext& context);

}  // namespace morbilex
