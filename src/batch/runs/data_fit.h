// morbilex-batch's observed counts: the file of --data, the fit of --fit and
// its file, the objective the summary adds and the points on the chart.
#pragma once

#include <string>
#include <vector>

#include "batch/options/batch_request.h"
#include "chart/chart_points.h"
#include "study/count_fit.h"

namespace morbilex::batch {

// The counts of --data's file; false with "--data=FILE: why".
bool load_data_counts(const DataOptions& data, ObservedCounts& counts, std::string& error);

// Fits the fields of --fit from the scenario the records hold, and types the
// fitted values after the request's own fields (the reporting fraction goes
// to data.observation), so that the run that follows is the fitted one.
bool fit_data_counts(DataOptions& data, const ObservedCounts& counts, const Records& records,
                     BatchRequest& request, CountFit& fit, std::string& error);

// What --fit-output holds: field,value,low,high, a row a field, then the
// objective and the RMSE.
std::string fit_output_text(const CountFit& fit);

// The objective of the counts against the run of the records' scenario in
// mode; false when the counts reach past the run.
bool run_objective(const DataOptions& data, const ObservedCounts& counts, const Records& records,
                   InterventionMode mode, double& objective, std::string& error);

// A summary's text with the objective after its last column: for a CSV file,
// a JSON line or the readable block, as path says (empty: the block).
std::string summary_with_objective(const std::string& text, const std::string& path,
                                   double objective);

// The counts in the chart's persons per 10,000, and the model's matching
// series when the counts are not of the infectious curve.
void data_chart_points(const DataOptions& data, const ObservedCounts& counts,
                       const Records& records, InterventionMode mode,
                       std::vector<ChartPoint>& points, std::vector<ChartPoint>& series);

inline constexpr Colour DATA_POINT_COLOUR = 0x800080;

}  // namespace morbilex::batch
