// Observed counts over the explorer's chart: the counts as crosses in the
// chart's persons per 10,000, the model's matching series through their days,
// and a strip of residuals (counts minus model) under the frame's foot.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_points.h"
#include "study/count_fit.h"

namespace morbilex {

inline constexpr Colour OBSERVED_COUNTS_COLOUR = 0x800080;  // purple

// The counts the explorer shows; no points: nothing is drawn.
struct ObservedOverlay {
    ObservedCounts counts;
    CountObservation observation;
    FitObjective objective = FitObjective::LeastSquares;
    // The scenario's link the counts were read from, and why they could not
    // be (empty when they were, or when there is no link).
    std::vector<std::pair<std::string, std::string>> link;
    std::string problem;
    // The CSV the counts were read from (empty without counts).
    std::string text;
    // A counts file a front end without paths read itself (the web page):
    // a link whose data names supplied_name reads supplied_text instead.
    std::string supplied_name, supplied_text;
};

// The whole text of a counts file; false when it cannot be read.
bool read_counts_file(const std::string& path, std::string& text);

// Hands over the text of the counts file named name; the link is read again
// at the next follow_counts_link.
void supply_counts_text(ObservedOverlay& overlay, std::string name, std::string text);

// When the records' link to observed counts changed since the last call,
// reads the counts it names with what they measure (the rows it keeps, when
// it keeps them); a link that cannot be followed leaves no counts and says
// why in problem.
void follow_counts_link(ObservedOverlay& overlay, const Records& records);

// What the overlay shows of the records' run, in the chart's persons per
// 10,000: the points, the model at their days (not for prevalence, which is
// the infectious curve), and for each point the count
// less the model's expected count (in the counts' own units). Empty when
// there are no counts or the run does not reach their last day.
struct OverlayContents {
    std::vector<ChartPoint> points, series;
    std::vector<double> residuals;
    double objective = 0.0, rmse = 0.0;
};
OverlayContents overlay_contents(const ObservedOverlay& overlay, const Records& records);

// Drawn in the chart's mapping, after its curves; the residuals in the
// strip of strip_height logical units under the frame (none: 0).
void draw_observed_overlay(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale,
                           const OverlayContents& contents, int strip_height);

}  // namespace morbilex
