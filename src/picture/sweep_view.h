// A sweep as the programs show it: the request typed into a sweep window,
// the picture's cells (a cell per device pixel at most), the picture of the
// shown column drawn through the Surface, its read-out and the scenario
// under a device point; and, for the desktop programs, the sweep run block by
// block on the calling thread so that a window answers between blocks and
// stops when told.
#pragma once

#include <string>
#include <vector>

#include "analysis/sweep_grid.h"
#include "chart/surface.h"
#include "model/records.h"
#include "picture/sweep_picture.h"

namespace morbilex {

// One swept field as typed: its name ("mode" or a dialog field) and
// from, to and step; an empty name is no axis.
struct SweepAxisTexts {
    std::string name, from, to, step;
};
struct SweepRequest {
    SweepAxisTexts axes[2];
};

// The names a sweep window offers for an axis: "mode", then every field the
// dialogs edit.
std::vector<std::string> sweep_field_names();
// The summary columns a sweep's picture can show (the numeric ones).
std::vector<std::string> sweep_column_names();

// What a sweep window first offers for a field: half to one and a half
// times its value in the records, in steps of a tenth (0 to 10 for a zero;
// the mode 0 to 2).
SweepAxisTexts suggested_axis(const Records& records, const std::string& name);

// The dialogs' fields of the records as a sweep types them: the shortest
// text of each value, so every scenario starts from exactly these records.
std::vector<TypedField> typed_fields_of(const Records& records);

// The sweep of the records' scenario (its fields and mode) over the
// request's axes, as morbilex-batch --scenario=... --sweep=NAME=FROM:TO:STEP
// makes it; false with a one-line reason.
bool make_sweep_plan(const Records& records, const SweepRequest& request, SweepPlan& plan,
                     std::string& refusal);

// The fields of scenario run_id as the sweep types them (its base's, then
// its axes' values) and its mode; false when the sweep has no such scenario.
bool sweep_scenario_fields(const SweepPlan& plan, long long run_id, std::vector<TypedField>& typed,
                           InterventionMode& mode);

// The cells of a sweep's picture and the picture drawn from their values.
class SweepPicture {
public:
    // Cells for a picture of width x height device pixels with text of font
    // pixels, no more than largest_cells of them; returns how many. Two
    // fields make a heat map, or with lines a line over the first field for
    // each of a few values of the second.
    long long lay_out(const SweepGrid& grid, int width, int height, double font,
                      long long largest_cells, bool lines = false);
    long long cells() const { return static_cast<long long>(values.size()); }
    // The cell run_id falls in.
    long long cell_of(long long run_id) const;

    // Each cell's value of the shown column (NaN: none yet); set before paint.
    std::vector<double> values;

    // The picture of the values, metric naming the column; its size and text
    // are kept for the read-out and hit tests below.
    void paint(Surface& surface, int width, int height, const std::string& metric);
    // The cell's axis values and value under a device point of the picture
    // last painted ("R_0 2.5, T_max 100: peak_infectious 512"), or empty.
    std::string read_out(double x, double y) const;
    // The scenario (its run_id) under a device point: the first of the cell
    // under it, on a line chart of the line nearest it; 0 for none.
    long long run_id_at(double x, double y) const;

private:
    void make_picture(const std::string& metric);
    bool heat_map_cell(double x, double y, std::size_t& row, std::size_t& column) const;
    bool line_point(double x, double y, std::size_t& point, std::size_t& series) const;
    std::size_t line_field() const;

    const SweepGrid* grid_ = nullptr;
    // bins[k] cells along axis k, of per[k] of its points each.
    std::vector<long long> bins_, per_;
    SweepHeatMap map_;
    SweepLineChart chart_;
    bool heat_map_ = false;
    bool lines_ = false;
    int width_ = 0, height_ = 0;
    double font_ = 0.0;
};

// A desktop program's sweep: the plan, every column's sums in each cell, and
// the scenarios run a block at a time.
class SweepDesk {
public:
    enum class State { Empty, Running, Stopped, Finished, Refused };

    // A new sweep of the records (nothing runs yet); false with refusal.
    bool start(const Records& records, const SweepRequest& request, int width, int height,
               double font, bool lines = false);
    // Runs up to count more scenarios; false when there is nothing to run
    // (finished, stopped, refused).
    bool run_block(long long count);
    void stop();

    State state() const { return state_; }
    long long done() const { return done_; }
    long long total() const { return plan_.grid.size(); }
    const std::string& refusal() const { return refusal_; }
    const SweepPlan& plan() const { return plan_; }
    // "1200 of 5000 scenarios" and the like.
    std::string progress_text() const;

    // The picture of a column (any of sweep_column_names) at a size.
    void paint(Surface& surface, int width, int height, const std::string& metric);
    std::string read_out(double x, double y) const { return picture_.read_out(x, y); }
    long long run_id_at(double x, double y) const { return picture_.run_id_at(x, y); }
    // A cell's mean of a column, NaN when no scenario of it has a value.
    double cell_value(long long cell, int column) const;
    const SweepPicture& picture() const { return picture_; }

    // Puts scenario run_id into the records as the sweep typed it (its
    // fields and mode); false with refusal when a dialog refuses it.
    bool load(Records& records, long long run_id);

private:
    SweepPlan plan_;
    SweepPicture picture_;
    std::vector<double> sums_, counts_;  // cell after cell, a column each
    State state_ = State::Empty;
    long long done_ = 0;
    std::string refusal_;
};

}  // namespace morbilex
