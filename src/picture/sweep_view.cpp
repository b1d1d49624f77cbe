#include "picture/sweep_view.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "analysis/run_summary.h"
#include "picture/axis_scale.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

constexpr int COLUMNS = SUMMARY_COLUMN_COUNT;
// Every column's sums and counts of every cell stay within this many values.
constexpr long long LARGEST_DESK_VALUES = 1LL << 22;
// A line chart over one field draws a line for at most this many values of
// the other.
constexpr long long LINES_AT_MOST = 8;

// Axis k's points go to the cells per[k] at a time, the last cell taking
// what is left: every cell but the last spans the same values.
long long first_of_bin(long long bin, long long per) {
    return bin * per;
}
long long last_of_bin(long long bin, long long count, long long per) {
    return std::min(count, (bin + 1) * per) - 1;
}
long long bins_of(long long count, long long per) {
    return (count + per - 1) / per;
}

bool is_heat_map(const SweepGrid& grid) {
    return grid.axes.size() == 2 && !grid.axes[0].is_mode && !grid.axes[1].is_mode;
}

// A bin's axis values as a reader sees them: "2.5" or "1 to 1.25".
std::string bin_text(const SweepAxis& axis, long long bin, long long per) {
    const long long first = first_of_bin(bin, per);
    const long long last = last_of_bin(bin, axis.count, per);
    std::string text = axis_text(axis.value(first));
    if (last != first) text += " to " + axis_text(axis.value(last));
    return text;
}

std::string mode_label(double mode) {
    const char* const names[] = {"no intervention", "one-time", "intermittent"};
    const int k = static_cast<int>(mode);
    return std::to_string(k) + " " + (k >= 0 && k < 3 ? names[k] : "");
}

}  // namespace

std::vector<std::string> sweep_field_names() {
    std::vector<std::string> names{"mode"};
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields)
            if (field.read_order > 0) names.emplace_back(field.name);
    }
    return names;
}

std::vector<std::string> sweep_column_names() {
    std::vector<std::string> names;
    for (const SummaryColumn& column : SUMMARY_COLUMNS)
        if (column.kind != ValueKind::Text) names.emplace_back(column.name);
    return names;
}

std::vector<TypedField> typed_fields_of(const Records& records) {
    std::vector<TypedField> typed;
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order <= 0) continue;
            TypedField one{kind, &field, {}};
            append_shortest(one.text, field.shown_value(records));
            typed.push_back(std::move(one));
        }
    }
    return typed;
}

SweepAxisTexts suggested_axis(const Records& records, const std::string& name) {
    SweepAxisTexts texts{name, "0", "2", "1"};
    TypedField field;
    if (name == "mode" || !find_editable_field(name, field)) return texts;
    const double value = field.field->shown_value(records);
    const bool fraction = field.field->range == FieldRange::Fraction;
    const double unit = value > 0.0 ? value : fraction ? 1.0 : 10.0;
    const auto text = [](double number) {
        std::string out;
        append_shortest(out, number);
        return out;
    };
    texts.from = text(value > 0.0 ? unit * 0.5 : 0.0);
    texts.to = text(fraction ? std::min(1.0, unit * 1.5) : value > 0.0 ? unit * 1.5 : unit);
    texts.step = text(unit * 0.1);
    return texts;
}

bool make_sweep_plan(const Records& records, const SweepRequest& request, SweepPlan& plan,
                     std::string& refusal) {
    plan = SweepPlan{};
    plan.base = typed_fields_of(records);
    plan.base_mode = records.mode >= MODE_NO_INTERVENTION ? records.mode : MODE_NO_INTERVENTION;
    for (const SweepAxisTexts& texts : request.axes) {
        if (texts.name.empty()) continue;
        SweepAxis axis;
        const std::string option =
            texts.name + "=" + texts.from + ":" + texts.to + ":" + texts.step;
        if (!parse_sweep_axis(option, axis, refusal)) return false;
        if (!add_sweep_axis(plan.grid, std::move(axis), refusal)) return false;
    }
    if (plan.grid.axes.empty()) {
        refusal = "choose a field to sweep";
        return false;
    }
    return true;
}

long long SweepPicture::lay_out(const SweepGrid& grid, int width, int height, double font,
                                long long largest_cells, bool lines) {
    grid_ = &grid;
    lines_ = lines;
    // A heat map's cells fill its plot; a line's points are as many at most.
    const PictureBox plot = surface_heat_map_plot(width, height, font);
    const long long across = std::max(1LL, static_cast<long long>(plot.width));
    const long long up = std::max(1LL, static_cast<long long>(plot.height));
    const std::size_t axes = grid.axes.size();
    bins_.assign(axes, 1);
    per_.assign(axes, 1);
    const auto cells = [&] {
        long long product = 1;
        for (std::size_t k = 0; k < axes; ++k)
            product *= bins_[k] = bins_of(grid.axes[k].count, per_[k]);
        return product;
    };
    for (std::size_t k = 0; k < axes; ++k) {
        const SweepAxis& axis = grid.axes[k];
        const bool heat_map = is_heat_map(grid) && !lines;
        const long long room = axis.is_mode                       ? axis.count
                               : heat_map && k == 0               ? up
                               : !heat_map && axes == 2 && k == 1 ? LINES_AT_MOST
                                                                  : across;
        per_[k] = (axis.count + room - 1) / room;
    }
    // Coarser cells along the axis of the most when there would be too many.
    for (long long total = cells(); total > largest_cells; total = cells()) {
        std::size_t widest = 0;
        for (std::size_t k = 0; k < axes; ++k) {
            if (!grid.axes[k].is_mode && (grid.axes[widest].is_mode || bins_[k] > bins_[widest]))
                widest = k;
        }
        const long long count = grid.axes[widest].count;
        const long long wanted = std::max(1LL, bins_[widest] * largest_cells / total);
        per_[widest] = std::max(per_[widest] + 1, (count + wanted - 1) / wanted);
    }
    values.assign(static_cast<std::size_t>(cells()), NAN);
    map_ = SweepHeatMap{};
    chart_ = SweepLineChart{};
    return cells();
}

long long SweepPicture::cell_of(long long run_id) const {
    const std::size_t axes = grid_->axes.size();
    long long indices[2] = {0, 0};
    std::vector<long long> more;
    std::span<long long> at(indices, axes);
    if (axes > 2) {
        more.resize(axes);
        at = more;
    }
    grid_->indices_of(run_id, at);
    long long cell = 0;
    for (std::size_t k = 0; k < axes; ++k)
        cell = cell * bins_[k] + at[k] / per_[k];
    return cell;
}

std::size_t SweepPicture::line_field() const {
    return grid_->axes.size() == 2 && grid_->axes[0].is_mode ? 1 : 0;
}

// The picture of the cells' values: a heat map over two fields, else a line
// over the field (one a line for each mode when the mode is swept).
void SweepPicture::make_picture(const std::string& metric) {
    const SweepGrid& grid = *grid_;
    heat_map_ = is_heat_map(grid) && !lines_;
    map_ = SweepHeatMap{};
    chart_ = SweepLineChart{};
    if (grid.axes.empty()) return;
    if (heat_map_) {
        const SweepAxis &y = grid.axes[0], &x = grid.axes[1];
        map_.x_name = x.name;
        map_.y_name = y.name;
        map_.metric = metric;
        map_.title = metric + " by " + y.name + " and " + x.name;
        for (long long b = 0; b < bins_[1]; ++b)
            map_.x_values.push_back(x.value(first_of_bin(b, per_[1])));
        for (long long b = 0; b < bins_[0]; ++b)
            map_.y_values.push_back(y.value(first_of_bin(b, per_[0])));
        map_.cells = values;
        return;
    }
    const std::size_t field = line_field();
    const SweepAxis& axis = grid.axes[field];
    const long long series = grid.axes.size() == 2 ? bins_[1 - field] : 1;
    chart_.x_name = axis.name;
    chart_.y_name = metric;
    chart_.title = metric + " by " + axis.name;
    for (long long s = 0; s < series; ++s) {
        LineSeries line;
        if (grid.axes.size() == 2) {
            const SweepAxis& other = grid.axes[1 - field];
            line.label = other.is_mode ? mode_label(other.value(s))
                                       : other.name + " " + bin_text(other, s, per_[1 - field]);
        }
        for (long long b = 0; b < bins_[field]; ++b) {
            const long long first = first_of_bin(b, per_[field]);
            const long long last = last_of_bin(b, axis.count, per_[field]);
            line.x.push_back((axis.value(first) + axis.value(last)) / 2);
            const long long cell = field == 0 ? b * series + s : s * bins_[1] + b;
            line.y.push_back(values[static_cast<std::size_t>(cell)]);
        }
        chart_.series.push_back(std::move(line));
    }
}

void SweepPicture::paint(Surface& surface, int width, int height, const std::string& metric) {
    if (grid_ == nullptr) return;
    make_picture(metric);
    width_ = width;
    height_ = height;
    font_ = surface.reading_cell_height();
    if (heat_map_) {
        draw_sweep_heat_map(surface, map_, width, height);
    } else {
        draw_sweep_line_chart(surface, chart_, width, height);
    }
}

bool SweepPicture::heat_map_cell(double x, double y, std::size_t& row, std::size_t& column) const {
    return heat_map_ && heat_map_cell_at(map_, width_, height_, font_, x, y, row, column);
}

bool SweepPicture::line_point(double x, double y, std::size_t& point, std::size_t& series) const {
    if (heat_map_ || !line_chart_point_at(chart_, width_, height_, font_, x, y, point))
        return false;
    // The line whose value at that point lies nearest the pointer.
    const double at = line_chart_value_at(chart_, width_, height_, font_, y);
    series = 0;
    double nearest = INFINITY;
    for (std::size_t s = 0; s < chart_.series.size(); ++s) {
        const double distance = std::fabs(chart_.series[s].y[point] - at);
        if (distance < nearest) nearest = distance, series = s;
    }
    return true;
}

std::string SweepPicture::read_out(double x, double y) const {
    if (grid_ == nullptr) return {};
    const SweepGrid& grid = *grid_;
    std::size_t row = 0, column = 0;
    if (heat_map_cell(x, y, row, column)) {
        return grid.axes[0].name + " " + bin_text(grid.axes[0], row, per_[0]) + ", " +
               grid.axes[1].name + " " + bin_text(grid.axes[1], column, per_[1]) + ": " +
               map_.metric + " " + value_text(map_.cells[row * map_.x_values.size() + column]);
    }
    std::size_t point = 0, series = 0;
    if (!line_point(x, y, point, series)) return {};
    const std::size_t field = line_field();
    std::string text = grid.axes[field].name + " " +
                       bin_text(grid.axes[field], point, per_[field]) + ": " + chart_.y_name;
    for (const LineSeries& line : chart_.series)
        text += (line.label.empty() ? " " : "; " + line.label + " ") + value_text(line.y[point]);
    return text;
}

long long SweepPicture::run_id_at(double x, double y) const {
    if (grid_ == nullptr) return 0;
    const SweepGrid& grid = *grid_;
    long long index[2] = {0, 0};
    std::size_t row = 0, column = 0, point = 0, series = 0;
    if (heat_map_cell(x, y, row, column)) {
        index[0] = first_of_bin(static_cast<long long>(row), per_[0]);
        index[1] = first_of_bin(static_cast<long long>(column), per_[1]);
    } else if (line_point(x, y, point, series)) {
        const std::size_t field = line_field();
        index[field] = first_of_bin(static_cast<long long>(point), per_[field]);
        if (grid.axes.size() == 2)
            index[1 - field] = first_of_bin(static_cast<long long>(series), per_[1 - field]);
    } else {
        return 0;
    }
    long long run_id = 0;
    for (std::size_t k = 0; k < grid.axes.size(); ++k)
        run_id = run_id * grid.axes[k].count + index[k];
    return run_id + 1;
}

bool SweepDesk::start(const Records& records, const SweepRequest& request, int width, int height,
                      double font, bool lines) {
    state_ = State::Empty;
    done_ = 0;
    sums_.clear();
    counts_.clear();
    if (!make_sweep_plan(records, request, plan_, refusal_)) {
        plan_ = SweepPlan{};
        picture_ = SweepPicture{};
        return false;
    }
    const long long cells =
        picture_.lay_out(plan_.grid, width, height, font, LARGEST_DESK_VALUES / COLUMNS, lines);
    sums_.assign(static_cast<std::size_t>(cells * COLUMNS), 0.0);
    counts_.assign(sums_.size(), 0.0);
    refusal_.clear();
    state_ = State::Running;
    return true;
}

bool SweepDesk::run_block(long long count) {
    if (state_ != State::Running) return false;
    count = std::min(count, total() - done_);
    ScenarioBuilder builder(plan_);
    std::vector<ScenarioInputs> inputs(static_cast<std::size_t>(count));
    std::vector<RunFigures> figures(inputs.size());
    ScenarioRefusal refused;
    for (long long k = 0; k < count; ++k) {
        if (!builder.build(done_ + k + 1, inputs[k], refused)) {
            refusal_ = refused_run_text(refused);
            state_ = State::Refused;
            return false;
        }
    }
    integrate_run_figures(inputs, figures);
    SummaryRow row;
    for (long long k = 0; k < count; ++k) {
        summarise_run(inputs[k], figures[k], row);
        // An overflowed run's figures stop where it did: none of its values count.
        if (figures[k].first_non_finite_row >= 0) continue;
        const std::size_t at = static_cast<std::size_t>(picture_.cell_of(done_ + k + 1)) * COLUMNS;
        for (int c = 0; c < COLUMNS; ++c) {
            const double value = row[c].as_number();
            if (!std::isfinite(value)) continue;
            sums_[at + c] += value;
            counts_[at + c] += 1.0;
        }
    }
    done_ += count;
    if (done_ == total()) state_ = State::Finished;
    return true;
}

void SweepDesk::stop() {
    if (state_ == State::Running) state_ = State::Stopped;
}

std::string SweepDesk::progress_text() const {
    const std::string counted = std::to_string(done_) + " of " + std::to_string(total());
    switch (state_) {
        case State::Running:
            return counted + " scenarios";
        case State::Stopped:
            return "Stopped after " + counted + " scenarios.";
        case State::Finished:
            return std::to_string(total()) + " scenarios run.";
        case State::Refused:
            return "Not run: " + refusal_;
        case State::Empty:
            break;
    }
    return refusal_.empty() ? std::string() : "Not run: " + refusal_;
}

double SweepDesk::cell_value(long long cell, int column) const {
    const std::size_t at = static_cast<std::size_t>(cell) * COLUMNS + column;
    if (at >= counts_.size() || counts_[at] == 0.0) return NAN;
    return sums_[at] / counts_[at];
}

void SweepDesk::paint(Surface& surface, int width, int height, const std::string& metric) {
    if (sums_.empty()) return;
    const int column = summary_column_index(metric);
    if (column < 0) return;
    for (long long cell = 0; cell < picture_.cells(); ++cell)
        picture_.values[static_cast<std::size_t>(cell)] = cell_value(cell, column);
    picture_.paint(surface, width, height, metric);
}

bool sweep_scenario_fields(const SweepPlan& plan, long long run_id, std::vector<TypedField>& typed,
                           InterventionMode& mode) {
    if (run_id < 1 || run_id > plan.grid.size()) return false;
    typed = plan.base;
    mode = plan.base_mode;
    std::vector<long long> indices(plan.grid.axes.size());
    plan.grid.indices_of(run_id, indices);
    for (std::size_t k = 0; k < plan.grid.axes.size(); ++k) {
        const SweepAxis& axis = plan.grid.axes[k];
        if (axis.is_mode) {
            mode = static_cast<InterventionMode>(axis.value(indices[k]));
            continue;
        }
        TypedField field = axis.field;
        axis.append_value_text(field.text, indices[k]);
        typed.push_back(std::move(field));
    }
    return true;
}

bool SweepDesk::load(Records& records, long long run_id) {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    if (!sweep_scenario_fields(plan_, run_id, typed, mode)) return false;
    SetupRefusal setup;
    if (!apply_typed_fields(records, typed, setup)) {
        refusal_ = refused_field_text(refused_field(setup, typed, run_id));
        return false;
    }
    records.mode = mode;
    return true;
}

}  // namespace morbilex
