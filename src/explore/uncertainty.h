// The explorer's ranges and what follows from them: an ensemble around the
// records' scenario (its bands drawn behind the run's curves, its figures'
// intervals) and the tornado of the peak, recomputed whenever the records'
// inputs or the ranges change, as a slider's drag does. Drawn through the
// Surface, so every front end and export shows the same picture.
#pragma once

#include <string>
#include <vector>

#include "chart/chart.h"
#include "model/records.h"
#include "study/ensemble.h"
#include "study/sensitivity.h"

namespace morbilex {

// The range state: which fields have ranges, and how many samples.
struct ExplorerRanges {
    std::vector<ParameterRange> ranges;
    long long samples = DEFAULT_ENSEMBLE_SAMPLES;
    // Bit k: compartment k's bands are drawn (the infectious ones by default).
    unsigned band_compartments = 1u << 2;

    bool empty() const { return ranges.empty(); }
    // Gives the field a range (replacing one it had); false for a field that
    // takes no range or ends that are not ordered.
    bool set(std::string_view name, double low, double high);
    void remove(std::string_view name);
    // A slider turned into a range: a tenth of its span either side of its
    // value, kept within minimum..maximum.
    bool set_about(std::string_view name, double value, double minimum, double maximum);
    // The field's range, or nullptr.
    const ParameterRange* find(std::string_view name) const;
    // NAME=low:high[:mode] joined with spaces, as morbilex-batch's --range takes them.
    std::string text() const;
};

class ExplorerUncertainty {
public:
    ExplorerRanges ranges;

    // Brings the ensemble and the tornado up to date with the records and the
    // ranges; nothing is computed without ranges or before a run.
    void sync(const Records& records);
    bool available() const { return available_; }
    const EnsembleResult& ensemble() const { return ensemble_; }
    const Tornado& tornado() const { return tornado_; }
    // Why nothing is shown though ranges are set (a refused end), or empty.
    const std::string& refusal() const { return refusal_; }

private:
    bool computed_ = false;
    Scenario scenario_;
    CapacitySetting capacity_;
    InterventionMode mode_ = MODE_NOTHING_CALCULATED;
    std::string ranges_text_;
    long long samples_ = 0;
    bool available_ = false;
    EnsembleResult ensemble_;
    Tornado tornado_;
    std::string refusal_;
};

// The ensemble's plan for the records: every field as it stands, the ranges over it.
EnsemblePlan explorer_plan(const Records& records, const ExplorerRanges& ranges);

// The colours of the 90 % and 50 % bands of a compartment's colour.
Colour outer_band_colour(Colour colour);
Colour inner_band_colour(Colour colour);

// The bands of the chosen compartments inside the chart's frame, a vertical
// stroke a step, in the chart's logical units.
void draw_uncertainty_bands(Surface& surface, const ChartGeometry& geometry, const Records& records,
                            const EnsembleResult& ensemble, const SeriesColours& colours,
                            unsigned compartments, double x_per_day);

// The bands of the care layer's series (when the ensemble has them), in the
// colours of their curves.
void draw_care_uncertainty_bands(Surface& surface, const ChartGeometry& geometry,
                                 const Records& records, const EnsembleResult& ensemble,
                                 double x_per_day);

// "Peak infectious: 836.12 to 1497.83 persons (median 1196.10)": one line per
// figure with an interval, then the share over the capacity when one is set.
std::vector<std::string> interval_lines(const EnsembleResult& ensemble);

// The tornado in device pixels: a title line (two in a narrow panel: the
// figure, then "(low / high end)"), then a bar per ranged field (its name,
// the figure at the low end and at the high end about the central value),
// widest first, in the box left..left+width from top down.
void draw_tornado(Surface& surface, const Tornado& tornado, const ExplorerRanges& ranges, int left,
                  int top, int width, int line_step, int title_lines = 1);
// The tornado as a panel of its own shows it: the surface set up in device
// pixels for a width x height panel (the chart's font at the device's
// reading size), the bars inset from its edges. Returns the line step the
// font gave, 0 when nothing was drawn.
int paint_tornado_panel(Surface& surface, const ExplorerUncertainty& uncertainty, int width,
                        int height);
// The line step such a panel draws with on this surface.
int tornado_line_step(Surface& surface);
// The height such a panel wants for its title's two lines and bars at
// line_step; 0 without a tornado to show (no ranges).
int tornado_panel_height(const ExplorerUncertainty& uncertainty, int line_step);
// The tornado as text: its title line, then "R_0: 836.12 / 1497.83" (the
// figure at the field's low end / at its high end), widest first.
std::vector<std::string> tornado_lines(const Tornado& tornado, const ExplorerRanges& ranges);

}  // namespace morbilex
