// What the explorer view adds to the chart, kept beside the records: the
// figures, the no-intervention run of the same parameters, the periods with a
// reduction in force, the read-out's step, and the mapping between device
// points and the run's steps. The records stay the single source of truth:
// everything here follows from them and is brought up to date by sync().
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/run_figures.h"
#include "chart/chart.h"
#include "explore/figures.h"
#include "model/records.h"

namespace morbilex {

// Steps first..end-1 of the run with a reduction of transmission in force.
struct ReducedPeriod {
    int first_step;
    int end_step;
};

class Explorer {
public:
    // Recomputes what follows from the records' run when its inputs changed
    // since the last call (the mode, the parameters or a plan).
    void sync(const Records& records);
    // Forgets everything: the next sync recomputes.
    void invalidate() { synced_ = false; }
    // Runs the records' mode without a trace, as a slider's drag does (the
    // same table and rates as run_simulation_to_stream with no stream), and
    // syncs from that same integration; the run without intervention goes
    // beside it through run_both when one is given.
    using RunBoth = std::function<void(const std::function<void()>&, const std::function<void()>&)>;
    void run_without_trace(Records& records, const RunBoth& run_both = {});

    const ViewFigures& figures() const { return figures_; }
    // The no-intervention run of an intervention run (rows 0..n_steps-1).
    bool has_comparison() const { return has_comparison_; }
    const ResultTable& comparison() const { return comparison_; }
    const std::vector<ReducedPeriod>& reduced_periods() const { return reduced_; }
    // True when step lies in a reduced period.
    bool reduced_at(int step) const;

    // The read-out's step, or -1 when none is shown.
    int read_out_step = -1;

private:
    void recompute(const Records& records, bool can_run, ResultTable* table, RateConstants& rates,
                   const RunBoth& run_both);

    bool synced_ = false;
    ScenarioInputs inputs_;
    ViewFigures figures_;
    bool has_comparison_ = false;
    ResultTable comparison_;
    std::vector<ReducedPeriod> reduced_;
};

// How the explorer view places the chart in a device rectangle of width by
// height from the top-left corner: the logical window of the chart mapping.
// The chart keeps the classic chart's frame and scale. Around the frame it
// leaves the classic margins, or more where text of cell_pixels (the
// device's reading size) needs it: the header lines and the axis title
// above, the tick labels left and below with the x axis's title under them,
// and the legend right. The text keeps its size at every window size; the
// frame takes what is left.
//
// The legend has a column of its own right of the frame, so that it covers
// no curve: with the full names where that column takes at most a third of
// the width, else with the short ones where they do.
// Where even that would leave the frame less than a quarter of its classic
// size, or the frame and the x labels lower than the legend, the legend
// stands over the frame's top right corner.
enum class LegendPlace { BesideFull, BesideShort, OverFrame };
struct ExplorerMapping {
    bool valid = false;
    ChartGeometry geometry;  // of a copy of the scale
    double x_per_day = 0.0;
    double extent_x = 0.0, extent_y = 0.0, origin_x = 0.0, origin_y = 0.0;
    LegendPlace legend = LegendPlace::OverFrame;
};
ExplorerMapping explorer_mapping(const AxisScale& scale, int width, int height, double cell_pixels);

// The legend's lines: the compartments, the run without intervention (with a
// comparison) and the band of the reduction; their full or short names.
inline constexpr int LEGEND_LINES = COMPARTMENT_COUNT + 2;
const char* legend_name(int line, bool short_names);
// The legend beside the frame, in text cells: a gap, the line of a curve, a
// gap, the longest name, a margin (after the last x label's right half).
inline constexpr double LEGEND_GAP_CELLS = 0.5;
inline constexpr double LEGEND_LINE_CELLS = 1.5;
double legend_width_cells(bool short_names);
// The length of the x axis's last label, whose right half lies beyond the
// frame, left of the legend's column.
std::size_t last_x_label_chars(const AxisScale& scale);

// The labels of an axis from min to max: both ends and the round values
// between them (none within half a step of an end).
struct AxisLabel {
    double value;
    std::string text;
};
std::vector<AxisLabel> axis_labels(double min, double max);
// The advance of one character of the chart font, as a share of its cell
// height, rounded up over the fixed-pitch faces the surfaces use.
inline constexpr double CHAR_WIDTH_PER_CELL = 0.62;
// The width of the chart's part of a device width: all of it in the window,
// the left three fifths when the figures are drawn beside the chart
// (pictures, print).
int explorer_chart_width(int width, bool with_figures);

// The step of the records' run nearest to the device x (the inverse of the
// chart's mapping onto a device width by height with text of cell_pixels),
// limited to the steps inside the frame; -1 when no step is shown.
int step_at_device_x(const Records& records, int device_x, int width, int height,
                     double cell_pixels);

// The rows shown: 0..min(n_steps, MAX_STEPS)-1.
int shown_rows(const Records& records);

// The steps the read-out can show on a device width by height with text of
// cell_pixels: those inside the frame, first..last (both -1 when none).
struct ReadOutSteps {
    int first = -1;
    int last = -1;
};
ReadOutSteps read_out_steps(const Records& records, int width, int height, double cell_pixels);

// The keys that move the read-out, the same in every front end: an arrow
// moves one step, Shift with an arrow ten, Page Up and Page Down a tenth of
// the steps shown (earlier and later), Home and End to the first and last.
enum class ReadOutKey { Left, Right, ShiftLeft, ShiftRight, PageUp, PageDown, Home, End };
inline constexpr int READ_OUT_SHIFT_STEPS = 10;
// The read-out's step after key, from step (-1: none shown yet, when a key
// towards later starts at the first step and one towards earlier at the
// last), always within the steps shown; -1 when none is shown.
int read_out_step_after_key(int step, ReadOutKey key, ReadOutSteps steps);

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least value
// (value > 0); 1 for anything else.
double round_number_above(double value);
// The spacing of round tick values over a range: 1, 2 or 5 times a power of
// ten giving at most about eight ticks; 0 for an empty or non-finite range.
double round_tick_step(double range);

// Fits the axes to the run: x from 0 to T_max, y from 0 to a round number at
// or above the highest value of the curves shown (the comparison's included
// when records.view.compare). The scale stays as it was when there is no run
// or the fitted ranges could not be drawn. Returns true when it changed.
bool fit_axes(Records& records, const Explorer& explorer);

}  // namespace morbilex
