// The explorer's drawing, in the chart's logical units, back to front: header,
// bands, axes and grid, round ticks, comparison curves, the run's curves, the
// legend on its box, the read-out.
#include "explore/explorer_view.h"
#include "explore/care_curves.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "analysis/capacity.h"
#include "chart/chart_text.h"
#include "chart/selected_pen.h"
#include "explore/axis_fitting.h"
#include "explore/chart_scales.h"
#include "explore/explore_layout.h"
#include "explore/explorer_page.h"
#include "explore/view_figures.h"
#include "text/format.h"

namespace morbilex {
namespace {

// How the read-out's line of an observed count starts.
constexpr std::string_view COUNT_READ_OUT = "count ";

constexpr Colour WHITE = 0xFFFFFF;
constexpr Colour GREY = 0x808080;
constexpr Colour CAPACITY_COLOUR = 0x1010C0;   // dark red
constexpr Colour THRESHOLD_COLOUR = 0x606060;  // dark grey
constexpr Colour BLACK = 0x000000;
constexpr Colour GRID_GREY = 0xDDDDDD;

// A text as it stands (no format), cut to the chart's text capacity.
void draw_text(Surface& surface, int x, int y, const std::string& text) {
    const std::size_t length = std::min(text.size(), CHART_TEXT_CAPACITY - 1);
    surface.text_out(x, y, text.data(), static_cast<int>(length));
}

std::string formatted(const char* format, std::initializer_list<FormatArgument> arguments) {
    char text[160];
    format_text(text, sizeof text, format, arguments);
    return text;
}

// A real as a logical coordinate, rounded; false when it has no 32-bit value.
bool coordinate(double value, int& out) {
    const double shifted = value + 0.5;
    if (!(shifted > INT_MIN / 2 && shifted < INT_MAX / 2)) return false;
    out = static_cast<int>(shifted);
    return true;
}

// The device rectangle in logical units and the chart font's widest cell, so
// that header and legend can be kept on the device.
struct TextRoom {
    int left = 0, right = 0, top = 0, bottom = 0;
    int cell = 0;        // text cell height
    int char_width = 1;  // advance of one character, rounded up
    int chars(int from_x) const {
        const long long room = static_cast<long long>(right) - from_x;
        return room <= 0 ? 0 : static_cast<int>(std::min<long long>(room / char_width, INT_MAX));
    }
    int width_of(const std::string& text) const {
        return static_cast<int>(
            std::min<long long>(static_cast<long long>(text.size()) * char_width, INT_MAX / 4));
    }
};

// Device units per logical unit of the mapping as set_chart_mapping forms it:
// truncated extents, one scale for both axes.
double device_scale(const ExplorerMapping& mapping, int width, int height) {
    return std::min(width / std::trunc(mapping.extent_x), height / std::trunc(mapping.extent_y));
}

// The chart's text at the device's reading size, in logical units: the same
// on a screen at every window size, twice as large at a display scale of 2.
int reading_cell(Surface& surface, const ExplorerMapping& mapping, int width, int height) {
    const double cell =
        std::ceil(surface.reading_cell_height() / device_scale(mapping, width, height));
    return cell >= 1.0 && cell < INT_MAX / 4 ? static_cast<int>(cell) : CHART_FONT_HEIGHT;
}

// The origin at the device's corner, as set_chart_mapping puts it.
TextRoom text_room(Surface& surface, const ExplorerMapping& mapping, int width, int height) {
    TextRoom room;
    const double scale = device_scale(mapping, width, height);
    room.left = static_cast<int>(std::trunc(mapping.origin_x));
    room.top = static_cast<int>(std::trunc(mapping.origin_y));
    const double across = std::min(std::floor(width / scale), INT_MAX / 4.0);
    const double down = std::min(std::floor(height / scale), INT_MAX / 4.0);
    room.right = static_cast<int>(std::min(room.left + across, INT_MAX / 2.0));
    room.bottom = static_cast<int>(std::max(room.top - down, INT_MIN / 2.0));
    room.cell = std::max(surface.text_cell_height(), 0);
    room.char_width = std::max(1, static_cast<int>(std::ceil(CHAR_WIDTH_PER_CELL * room.cell)));
    return room;
}

// The device pixel a logical point lands on, as far as telling two apart goes.
struct DevicePixels {
    double origin_x, origin_y, scale;
    long long key(int x, int y) const {
        const auto px = static_cast<long long>(std::floor((x - origin_x) * scale + 0.5));
        const auto py = static_cast<long long>(std::floor((y - origin_y) * scale + 0.5));
        return px * 4294967296LL + py;
    }
    int device_x(int x) const { return static_cast<int>(std::floor((x - origin_x) * scale)); }
    int device_y(int y) const { return static_cast<int>(std::floor((origin_y - y) * scale)); }
};

// What the view asks of one drawing of the chart beyond the classic one.
struct ChartLook {
    const ViewOptions& view;
    SeriesColours colours;  // the view's palette
    PersonsAxis persons;
    std::vector<double> r;  // R_t at each step, when shown
    double r_top = 0.0;     // the right-hand axis's top
    DevicePixels pixels;
    // The curves' points drawn so far, where the legend over the frame looks
    // for a place clear of them.
    mutable std::vector<std::pair<int, int>> points;
    // The texts drawn inside the frame so far (left, bottom, right, top),
    // which later texts there keep clear of.
    mutable std::vector<std::array<int, 4>> texts;
    bool clear_of_texts(const std::array<int, 4>& box) const {
        for (const auto& t : texts) {
            if (std::min(box[2], t[2]) > std::max(box[0], t[0]) &&
                std::min(box[3], t[3]) > std::max(box[1], t[1]))
                return false;
        }
        return true;
    }
    // The logical y of persons, and of an R_t value on the right-hand axis;
    // false when it has none.
    bool persons_y(double value, double y_per_person, int& y) const {
        return coordinate(persons.place(value) * y_per_person, y);
    }
    bool r_y(double value, double y_per_person, int& y) const {
        return coordinate(
            (persons.min + value / r_top * (persons.max - persons.min)) * y_per_person, y);
    }
};

// The text cut to at most chars characters, "..." marking a cut.
std::string cut_to(const std::string& text, int chars) {
    if (chars < 0) chars = 0;
    const auto n = static_cast<std::size_t>(chars);
    if (text.size() <= n) return text;
    if (n <= 3) return text.substr(0, n);
    return text.substr(0, n - 3) + "...";
}

// Text whose cell would fall below the device is left out.
void draw_fitted(Surface& surface, const TextRoom& room, int x, int y, const std::string& text) {
    if (y > room.top || y - room.cell < room.bottom || text.empty()) return;
    draw_text(surface, x, y, text);
}

std::string schedule_text(const Records& records) {
    if (records.mode == MODE_ONE_TIME) {
        const OneTimePlan& p = records.one_time;
        const double windows[3][3] = {{p.Redct1, p.t_srt1, p.t_stp1},
                                      {p.Redct2, p.t_srt2, p.t_stp2},
                                      {p.Redct3, p.t_srt3, p.t_stp3}};
        std::string text = "Reduction";
        bool any = false;
        for (const auto& w : windows) {
            if (w[0] == 0.0 || !(w[2] > w[1])) continue;
            text += formatted(any ? "; %.0f %% days %g-%g" : " %.0f %% days %g-%g",
                              {w[0] * 100.0, w[1], w[2]});
            any = true;
        }
        return any ? text : text + ": no window in force";
    }
    if (records.mode == MODE_INTERMITTENT) {
        const IntermittentPlan& p = records.intermittent;
        return formatted("Reduction %.0f %% while I: on at %g, off at %g",
                         {p.Reduction * 100.0, p.On_threshold, p.Off_threshold});
    }
    return "No intervention";
}

// The words packed into lines of at most chars characters, sep between two
// on a line; a word longer than a line is cut.
std::vector<std::string> wrapped(const std::vector<std::string>& words, const std::string& sep,
                                 int chars) {
    std::vector<std::string> lines;
    for (const std::string& word : words) {
        if (!lines.empty() && lines.back().size() + sep.size() + word.size() <=
                                  static_cast<std::size_t>(std::max(chars, 0))) {
            lines.back() += sep + word;
        } else {
            lines.push_back(cut_to(word, chars));
        }
    }
    return lines;
}

std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// The header in lines of at most chars characters: the parameters, the
// schedule and the change from no intervention, each on one line in its
// full or shorter wording where one fits, else wrapped, never cut short of
// a word.
std::vector<std::string> header_lines(const Records& records, const Explorer& explorer, int chars,
                                      const std::string& title) {
    const ModelParameters& m = records.model;
    // Two decimals; a value far beyond any model's (typed, or read from a
    // file) with its power of ten rather than hundreds of digits.
    const auto number = [](double value) {
        return formatted(std::fabs(value) < 1e7 ? "%.2f" : "%g", {value});
    };
    const std::string r0 = "R_0 " + number(m.R_0);
    const std::string latent = number(m.latent_period);
    const std::string infectious = number(m.infectious_period);
    const std::string t_max = formatted("%.0f", {m.n_steps * m.dt});
    const auto fits = [chars](const std::string& text) {
        return text.size() <= static_cast<std::size_t>(std::max(chars, 0));
    };
    std::vector<std::string> lines;
    const auto add = [&lines](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    if (!title.empty())
        add(fits(title) ? std::vector<std::string>{title} : wrapped(words_of(title), " ", chars));
    const std::string shorter =
        r0 + " latent " + latent + " infectious " + infectious + " T_max " + t_max;
    if (fits(shorter)) {
        const std::string full = r0 + "  latent " + latent + " d  infectious " + infectious +
                                 " d  T_max " + t_max + " d";
        lines.push_back(fits(full) ? full : shorter);
    } else {
        add(wrapped({r0, "latent " + latent + " d", "infectious " + infectious + " d",
                     "T_max " + t_max + " d"},
                    "  ", chars));
    }
    const std::string schedule = schedule_text(records);
    add(fits(schedule) ? std::vector<std::string>{schedule}
                       : wrapped(words_of(schedule), " ", chars));
    const std::string change = peak_change_text(explorer.figures());
    if (!change.empty()) {
        const std::string compared = "vs no intervention (light): " + change;
        if (fits(compared)) {
            lines.push_back(compared);
        } else {
            add(wrapped(words_of("vs none: " + change), " ", chars));
        }
    }
    return lines;
}

// The header's lines from the top of the device.
void draw_header(Surface& surface, const ChartGeometry& g, const std::vector<std::string>& lines,
                 const TextRoom& room) {
    const int x = room.left + std::max(room.cell / 5, 1);
    int y = room.top - room.cell / 6;
    for (const std::string& line : lines) {
        draw_fitted(surface, room, x, y, cut_to(line, room.chars(x)));
        y -= g.line_step;
    }
}

int step_x(int step, double dt, double x_per_day) {
    int x = 0;
    coordinate(step * dt * x_per_day, x);
    return x;
}

void draw_bands(Surface& surface, const ChartGeometry& g, const Records& records,
                const Explorer& explorer, double x_per_day) {
    const double dt = records.model.dt;
    for (const ReducedPeriod& period : explorer.reduced_periods()) {
        const int left = std::max(step_x(period.first_step, dt, x_per_day), g.frame_left);
        const int right = std::min(step_x(period.end_step, dt, x_per_day), g.frame_right);
        if (left >= right) continue;
        surface.fill_rectangle(left, g.frame_top, right, g.frame_bottom, REDUCTION_BAND_COLOUR);
    }
}

// The frame, and the zero line of a range that spans zero.
void draw_frame(Surface& surface, const ChartGeometry& g, const AxisScale& scale,
                const ChartLook& look) {
    SelectedPen pen(surface, BLACK);
    surface.move_to(g.frame_left, g.frame_top);
    surface.line_to(g.frame_right, g.frame_top);
    surface.line_to(g.frame_right, g.frame_bottom);
    surface.line_to(g.frame_left, g.frame_bottom);
    surface.line_to(g.frame_left, g.frame_top);
    int zero = 0;
    if (!look.persons.log && look.persons_y(0.0, scale.y_per_person, zero) &&
        zero > g.frame_bottom && zero < g.frame_top) {
        surface.move_to(g.frame_left, zero);
        surface.line_to(g.frame_right, zero);
    }
}

// A light grid line across the frame at a label drawn inside its ends.
void draw_grid_line(Surface& surface, const ChartGeometry& g, bool vertical, int at) {
    if (vertical ? at <= g.frame_left || at >= g.frame_right
                 : at <= g.frame_bottom || at >= g.frame_top)
        return;
    SelectedPen pen(surface, GRID_GREY);
    surface.move_to(vertical ? at : g.frame_left, vertical ? g.frame_bottom : at);
    surface.line_to(vertical ? at : g.frame_right, vertical ? g.frame_top : at);
}

std::size_t widest_label_chars(const std::vector<AxisLabel>& labels) {
    std::size_t chars = 0;
    for (const AxisLabel& label : labels)
        chars = std::max(chars, label.text.size());
    return chars;
}

// The labels of the right-hand axis (R_t from 0 to its top).
std::vector<AxisLabel> effective_r_labels(const ChartLook& look) {
    return look.r.empty() ? std::vector<AxisLabel>{} : axis_labels(0.0, look.r_top);
}

// Ticks at the round values; labels at them and at the axis ends, each
// left out where it would run into one drawn before, and a light grid line
// at each drawn; the axis titles beside their axes: "day" on a row of its
// own under the labels, the persons over the y labels and R_t over the
// right-hand axis. The x labels stand under the residual strip, if any.
void draw_axis_text(Surface& surface, const ChartGeometry& g, const AxisScale& scale,
                    const ChartLook& look, double x_per_day, const TextRoom& room,
                    const ExplorerMapping& mapping) {
    const bool day_beside_labels = mapping.day_beside_labels;
    const int tick = plot_length(g, 0.02);
    const int gap = std::max(room.cell / 5, 1);
    const int foot = g.frame_bottom - gap;
    const int label_top = foot - mapping.strip_height;
    const std::string day = "day";
    // Its own row under the labels, in the middle; or on their row, left of
    // the first, after them.
    if (!day_beside_labels) {
        draw_fitted(surface, room, (g.frame_left + g.frame_right - room.width_of(day)) / 2,
                    label_top - g.line_step, day);
    }
    int free_from = INT_MIN;  // the x where the next label may start
    for (const AxisLabel& label : axis_labels(scale.xmin, scale.xmax)) {
        int x = 0;
        if (!coordinate(label.value * x_per_day, x)) continue;
        if (x > g.frame_left && x < g.frame_right) {
            surface.move_to(x, g.frame_bottom);
            surface.line_to(x, g.frame_bottom + tick);
        }
        const int width = room.width_of(label.text);
        const int left =
            std::clamp(x - width / 2, room.left, std::max(room.right - width, room.left));
        if (left < free_from) continue;
        draw_grid_line(surface, g, true, x);
        draw_fitted(surface, room, left, label_top, label.text);
        free_from = left + width + room.char_width;
    }
    if (day_beside_labels) draw_fitted(surface, room, room.left + gap, label_top, day);
    // y labels end left of the frame, centred on their values.
    int free_above = INT_MIN;  // the lowest y the next label's bottom may take
    for (const AxisLabel& label : persons_labels(look.persons)) {
        int y = 0;
        if (!look.persons_y(label.value, scale.y_per_person, y)) continue;
        if (y > g.frame_bottom && y < g.frame_top) {
            surface.move_to(g.frame_left, y);
            surface.line_to(g.frame_left + tick, y);
        }
        // Centred on the value, and above the x labels' row at the foot.
        const int top = std::max(y + room.cell / 2, foot + room.cell + gap);
        const int left = g.frame_left - gap - room.width_of(label.text);
        if (top - room.cell < free_above || left < room.left) continue;
        draw_grid_line(surface, g, false, y);
        draw_fitted(surface, room, left, top, label.text);
        free_above = top + room.cell / 4;
    }
    const int title_top = g.frame_top + room.cell / 2 + g.line_step;
    draw_fitted(surface, room, room.left + gap, title_top,
                cut_to(look.persons.log ? "Persons per 10K (log)" : "Persons per 10K",
                       room.chars(room.left + gap)));
    // The right-hand axis: labels start right of the frame.
    const std::vector<AxisLabel> r_labels = effective_r_labels(look);
    if (r_labels.empty()) return;
    free_above = INT_MIN;
    for (const AxisLabel& label : r_labels) {
        int y = 0;
        if (!look.r_y(label.value, scale.y_per_person, y)) continue;
        if (y > g.frame_bottom && y < g.frame_top) {
            surface.move_to(g.frame_right, y);
            surface.line_to(g.frame_right - tick, y);
        }
        const int top = std::max(y + room.cell / 2, foot + room.cell + gap);
        const int left = g.frame_right + gap;
        if (top - room.cell < free_above || left + room.width_of(label.text) > room.right) continue;
        draw_fitted(surface, room, left, top, label.text);
        free_above = top + room.cell / 4;
    }
    const std::string r_title = "R_t";
    draw_fitted(surface, room, std::min(g.frame_right, room.right - room.width_of(r_title)),
                title_top, r_title);
}

// A level across the frame at persons, solid or dashed, with its label
// above its right end; nothing when it lies outside the frame.
// A level across the frame: its line, solid or dashed, and its label.
struct Level {
    double persons;
    Colour colour;
    bool dashed;
    std::string label;
};

void draw_level_line(Surface& surface, const ChartGeometry& g, int y, const Level& level) {
    SelectedPen pen(surface, level.colour);
    const int dash = std::max(plot_length(g, 0.015), 1);
    for (int x = g.frame_left; x < g.frame_right; x += level.dashed ? 2 * dash : g.frame_right) {
        surface.move_to(x, y);
        surface.line_to(level.dashed ? std::min(x + dash, g.frame_right) : g.frame_right, y);
    }
}

// The capacity, and in intermittent mode the On and Off thresholds, each a
// line across the frame, labelled when asked; levels outside the frame draw
// nothing.
void draw_levels(Surface& surface, const ChartGeometry& g, const Records& records,
                 const ChartLook& look, const TextRoom& room, bool labelled) {
    std::vector<Level> levels;
    if (records.mode == MODE_INTERMITTENT) {
        const IntermittentPlan& p = records.intermittent;
        levels.push_back(
            {p.Off_threshold, THRESHOLD_COLOUR, true, formatted("Off %g", {p.Off_threshold})});
        levels.push_back(
            {p.On_threshold, THRESHOLD_COLOUR, true, formatted("On %g", {p.On_threshold})});
    }
    if (records.capacity.set) {
        levels.push_back({records.capacity.capacity, CAPACITY_COLOUR, false,
                          formatted("capacity %g ", {records.capacity.capacity}) +
                              capacity_series_label(records.capacity.series)});
    }
    std::vector<std::pair<int, const Level*>> placed;
    for (const Level& level : levels) {
        int y = 0;
        if (!look.persons_y(level.persons, records.scale.y_per_person, y) || y < g.frame_bottom ||
            y > g.frame_top) {
            continue;
        }
        draw_level_line(surface, g, y, level);
        placed.push_back({y, &level});
    }
    if (!labelled) return;
    // Each label above or below the right or the left end of its line (or a
    // row or two higher where levels lie close together), whichever is first
    // clear of the texts in the frame; none where none is.
    const int gap = std::max(room.cell / 8, 1);
    for (const auto& [y, level] : placed) {
        const int width = room.width_of(level->label);
        const int right_end = std::max(g.frame_right - width - room.char_width, g.frame_left);
        for (const int left : {right_end, g.frame_left + room.char_width}) {
            bool drawn = false;
            const int step = room.cell + gap;
            for (const int bottom : {y + gap, y - step, y + gap + step, y + gap + 2 * step}) {
                const std::array<int, 4> box{left, bottom, left + width, bottom + room.cell};
                if (box[1] < g.frame_bottom || box[3] > g.frame_top || !look.clear_of_texts(box))
                    continue;
                draw_fitted(surface, room, left, box[3], level->label);
                look.texts.push_back(box);
                look.points.insert(look.points.end(), {{box[0], box[3]}, {box[2], box[1]}});
                drawn = true;
                break;
            }
            if (drawn) break;
        }
    }
}

// The curves of a table, one pen per compartment shown: the segments of the
// classic chart's curves (both ends inside the frame), joined where they meet.
// A point on the same device pixel as the point before adds nothing and is
// left out (40000 steps fall on a few hundred pixels).
void draw_polyline(Surface& surface, const ChartGeometry& g, int rows, const DevicePixels& pixels,
                   const std::function<bool(int, int&, int&)>& point,
                   std::vector<std::pair<int, int>>& drawn) {
    bool drawing = false;
    long long last_pixel = 0;
    for (int j = 0; j < rows; ++j) {
        int x = 0;
        int y = 0;
        const bool inside = point(j, x, y) && g.frame_left <= x && x <= g.frame_right &&
                            g.frame_bottom <= y && y <= g.frame_top;
        if (!inside) {
            drawing = false;
            continue;
        }
        const long long pixel = pixels.key(x, y);
        if (pixel != last_pixel || !drawing) drawn.push_back({x, y});
        if (!drawing) {
            surface.move_to(x, y);
            drawing = true;
        } else if (pixel != last_pixel || j + 1 == rows) {
            surface.line_to(x, y);
        }
        last_pixel = pixel;
    }
}

void draw_series(Surface& surface, const ChartGeometry& g, const Records& records,
                 const ResultTable& table, const Colour (&colours)[COMPARTMENT_COUNT],
                 double x_per_day, const ChartLook& look) {
    const double dt = records.model.dt;
    const double y_per_person = records.scale.y_per_person;
    for (int k = 0; k < COMPARTMENT_COUNT; ++k) {
        if (!compartment_shown(look.view, k)) continue;
        SelectedPen pen(surface, colours[k], dashed_curve(look.view, k));
        draw_polyline(
            surface, g, shown_rows(records), look.pixels,
            [&](int j, int& x, int& y) {
                return coordinate(j * dt * x_per_day, x) &&
                       look.persons_y(table[j][k], y_per_person, y);
            },
            look.points);
    }
}

// Text beside the x inside the frame, gap away: the first wording that fits on
// the right, or else on the left. Its left end, or INT_MIN when none fits.
int beside(const ChartGeometry& g, const TextRoom& room, int x, int gap,
           std::initializer_list<std::string> wordings, std::string& text) {
    const int right_room = g.frame_right - x - gap;
    const int left_room = x - gap - g.frame_left;
    for (const std::string& wording : wordings) {
        const int width = room.width_of(wording);
        text = wording;
        if (width <= right_room) return x + gap;
        if (width <= left_room) return x - gap - width;
    }
    return INT_MIN;
}

// R_t's curve on the right-hand axis, a dashed line where it is 1, and the
// day it falls to 1 marked at the frame's foot.
void draw_effective_r(Surface& surface, const ChartGeometry& g, const Records& records,
                      double x_per_day, const ChartLook& look, const TextRoom& room) {
    const double dt = records.model.dt;
    const double y_per_person = records.scale.y_per_person;
    const Colour colour = effective_r_colour(look.view);
    int one = 0;
    if (look.r_y(1.0, y_per_person, one) && one > g.frame_bottom && one < g.frame_top) {
        SelectedPen pen(surface, GREY, true);
        surface.move_to(g.frame_left, one);
        surface.line_to(g.frame_right, one);
    }
    {
        SelectedPen pen(surface, colour);
        draw_polyline(
            surface, g, static_cast<int>(look.r.size()), look.pixels,
            [&](int j, int& x, int& y) {
                return coordinate(j * dt * x_per_day, x) &&
                       look.r_y(look.r[static_cast<std::size_t>(j)], y_per_person, y);
            },
            look.points);
    }
    const int step = step_r_falls_to_one(look.r);
    int x = 0;
    if (step < 0 || !coordinate(step * dt * x_per_day, x) || x < g.frame_left || x > g.frame_right)
        return;
    {
        SelectedPen pen(surface, colour, true);
        surface.move_to(x, g.frame_bottom);
        surface.line_to(x, g.frame_top);
    }
    const int gap = std::max(room.cell / 4, 1);
    std::string text;
    const int left = beside(g, room, x, gap,
                            {formatted("R_t = 1 on day %.2f", {step * dt}),
                             formatted("R_t=1 day %.0f", {step * dt}), std::string("R_t=1")},
                            text);
    if (left == INT_MIN) return;
    draw_fitted(surface, room, left, g.frame_bottom + gap + room.cell, text);
    look.points.insert(look.points.end(), {{left, g.frame_bottom + gap + room.cell},
                                           {left + room.width_of(text), g.frame_bottom + gap}});
    look.texts.push_back(
        {left, g.frame_bottom + gap, left + room.width_of(text), g.frame_bottom + gap + room.cell});
}

// The infectious peak marked with its value and day: a diamond on the curve,
// the text beside it on the side with room, inside the frame.
void draw_peak(Surface& surface, const ChartGeometry& g, const Records& records, double x_per_day,
               const ChartLook& look, const TextRoom& room) {
    if (!compartment_shown(look.view, 2)) return;
    const int rows = shown_rows(records);
    int peak = -1;
    for (int j = 0; j < rows; ++j) {
        const double value = records.results[j][2];
        if (std::isfinite(value) && (peak < 0 || value > records.results[peak][2])) peak = j;
    }
    int x = 0;
    int y = 0;
    if (peak < 0 || !coordinate(peak * records.model.dt * x_per_day, x) ||
        !look.persons_y(records.results[peak][2], records.scale.y_per_person, y) ||
        x < g.frame_left || x > g.frame_right || y < g.frame_bottom || y > g.frame_top)
        return;
    const int size = std::max(room.cell / 4, 1);
    {
        SelectedPen pen(surface, look.colours.colours[2]);
        surface.move_to(x, y + size);
        surface.line_to(x + size, y);
        surface.line_to(x, y - size);
        surface.line_to(x - size, y);
        surface.line_to(x, y + size);
    }
    const double value = records.results[peak][2];
    const double day = peak * records.model.dt;
    std::string text;
    const int left =
        beside(g, room, x, 2 * size,
               {formatted("peak %.1f on day %.2f", {value, day}),
                formatted("peak %.0f, day %.0f", {value, day}), formatted("%.0f", {value})},
               text);
    if (left == INT_MIN) return;
    // Beside the point, inside the frame and over the row where R_t's day
    // stands at its foot.
    int top =
        std::max(std::min(y + room.cell / 2, g.frame_top - size), g.frame_bottom + 2 * g.line_step);
    // Clear of the texts in the frame: lower, down to that row; else none.
    const int width = room.width_of(text);
    while (!look.clear_of_texts({left, top - room.cell, left + width, top})) {
        top -= std::max(room.cell / 4, 1);
        if (top - room.cell < g.frame_bottom + g.line_step) return;
    }
    draw_fitted(surface, room, left, top, text);
    look.points.insert(look.points.end(),
                       {{left, top}, {left + room.width_of(text), top - room.cell}, {x, y}});
    look.texts.push_back({left, top - room.cell, left + room.width_of(text), top});
}

// The legend's lines from the frame's top down, each a curve's line (or the
// band's swatch) and its name, over an opaque box from left to right; a
// hidden compartment keeps its name without a line. Each compartment's line
// is noted in device pixels, for a click to show or hide it.
void draw_legend_lines(Surface& surface, const ChartGeometry& g, const ChartLook& look,
                       const std::vector<int>& lines, const std::string* names, int left,
                       int line_left, int line_right, int name_left, int right,
                       const TextRoom& room, Explorer& explorer, int lowest) {
    const int step = g.line_step;
    const int top = g.frame_top - 1;
    const int bottom =
        std::max(g.frame_top - step / 4 - static_cast<int>(lines.size()) * step, lowest);
    surface.fill_rectangle(left, top, right, bottom, WHITE);
    int y = g.frame_top - step / 2;
    for (std::size_t n = 0; n < lines.size(); ++n, y -= step) {
        if (y - room.cell < lowest) break;
        const int k = lines[n];
        if (k < COMPARTMENT_COUNT) {
            explorer.legend_hits.push_back({look.pixels.device_x(left), look.pixels.device_y(y),
                                            look.pixels.device_x(right),
                                            look.pixels.device_y(y - step), k});
        }
        if (k == COMPARTMENT_COUNT + 1) {
            surface.fill_rectangle(line_left, y - step / 4, line_right, y - 3 * step / 4,
                                   REDUCTION_BAND_COLOUR);
        } else if (k >= COMPARTMENT_COUNT || compartment_shown(look.view, k)) {
            const Colour colour = k < COMPARTMENT_COUNT ? look.colours.colours[k]
                                  : k == COMPARTMENT_COUNT
                                      ? comparison_colour(look.colours.colours[2])
                                      : effective_r_colour(look.view);
            SelectedPen pen(surface, colour, k < COMPARTMENT_COUNT && dashed_curve(look.view, k));
            surface.move_to(line_left, y - step / 2);
            surface.line_to(line_right, y - step / 2);
        }
        draw_text(surface, name_left, y, names[n]);
    }
}

// The legend's lines: the compartments, with a comparison its line and the
// band's, and R_t's when shown.
std::vector<int> legend_lines(bool comparison, const ChartLook& look) {
    std::vector<int> lines{0, 1, 2, 3};
    if (comparison) lines.insert(lines.end(), {COMPARTMENT_COUNT, COMPARTMENT_COUNT + 1});
    if (!look.r.empty()) lines.push_back(LEGEND_LINE_EFFECTIVE_R);
    return lines;
}

// The legend in its column right of the frame, clear of every curve; names
// that would leave the device are cut.
void draw_legend_beside(Surface& surface, const ChartGeometry& g, const AxisScale& scale,
                        const ChartLook& look, bool comparison, bool short_names,
                        const TextRoom& room, Explorer& explorer) {
    const std::vector<int> lines = legend_lines(comparison, look);
    const int gap = std::max(static_cast<int>(LEGEND_GAP_CELLS * room.cell), 1);
    const int right_axis_chars = static_cast<int>(widest_label_chars(effective_r_labels(look)));
    const int label_half = static_cast<int>(std::min<double>(
        right_of_frame_chars(scale, right_axis_chars) * room.char_width, INT_MAX / 8));
    const int line_left = g.frame_right + label_half + gap;
    const int line_right = line_left + static_cast<int>(LEGEND_LINE_CELLS * room.cell);
    const int name_left = line_right + gap;
    std::string names[LEGEND_LINES];
    std::size_t longest = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        names[n] = cut_to(legend_name(lines[n], short_names), room.chars(name_left));
        longest = std::max(longest, names[n].size());
    }
    const int right = static_cast<int>(std::min<long long>(
        name_left + static_cast<long long>(longest) * room.char_width + gap, room.right));
    // The box leaves the last x label's right half uncovered.
    draw_legend_lines(surface, g, look, lines, names, line_left - gap / 2, line_left, line_right,
                      name_left, right, room, explorer, room.bottom);
}

// The legend over the frame in columns side by side, where its one column
// would run past the row kept at the frame's foot (for R_t's day) and the
// frame is wide enough for them: the rows of each column, and each column's
// width (a gap, the line, a gap, its longest short name, a margin). No rows:
// one column.
struct LegendColumns {
    int rows = 0;
    int line_length = 0, gap = 0, margin = 0;
    std::vector<int> widths;
    int bottom = 0;  // the boxes' foot
};
LegendColumns legend_columns(const ChartGeometry& g, const std::vector<int>& lines,
                             const TextRoom& room) {
    LegendColumns columns;
    const int step = g.line_step;
    columns.margin = std::max(step / 4, 1);
    columns.gap = plot_length(g, 0.02);
    columns.line_length =
        std::min(plot_length(g, 0.1), static_cast<int>(LEGEND_LINE_CELLS * room.cell));
    const long long foot = room.cell + 2LL * std::max(room.cell / 4, 1);
    const long long rows =
        step > 0 ? (static_cast<long long>(g.frame_top) - g.frame_bottom - step / 4 - foot) / step
                 : 0;
    if (rows < 1 || static_cast<long long>(lines.size()) <= rows) return columns;
    long long total = 0;
    for (std::size_t first = 0; first < lines.size(); first += static_cast<std::size_t>(rows)) {
        std::size_t longest = 0;
        for (std::size_t n = first; n < std::min<std::size_t>(first + rows, lines.size()); ++n)
            longest = std::max(longest, std::strlen(legend_name(lines[n], true)));
        const long long width = 2LL * columns.gap + columns.line_length +
                                static_cast<long long>(longest) * room.char_width + columns.margin;
        total += width;
        columns.widths.push_back(static_cast<int>(std::min<long long>(width, INT_MAX / 8)));
    }
    const long long tick = plot_length(g, 0.02) + 2;
    if (total > static_cast<long long>(g.frame_right) - g.frame_left - 2 * tick) {
        columns.widths.clear();
        return columns;
    }
    columns.rows = static_cast<int>(rows);
    columns.bottom = g.frame_top - step / 4 - columns.rows * step;
    return columns;
}

// The legend in its columns along the frame's top, where the fewest curve
// points pass under it (the right-most of equals).
void draw_legend_in_columns(Surface& surface, const ChartGeometry& g, const ChartLook& look,
                            const std::vector<int>& lines, const LegendColumns& columns,
                            const TextRoom& room, Explorer& explorer) {
    long long total = 0;
    for (int width : columns.widths)
        total += width;
    const int tick = plot_length(g, 0.02) + 2;
    const long long first = static_cast<long long>(g.frame_left) + tick;
    const long long last = static_cast<long long>(g.frame_right) - tick - total;
    long long left = last;
    long long fewest = -1;
    for (int n = 0; n <= 16; ++n) {
        const long long candidate = last - (last - first) * n / 16;
        long long crossing = 0;
        for (const auto& [x, y] : look.points)
            crossing += x >= candidate && x <= candidate + total && y >= columns.bottom;
        if (fewest < 0 || crossing < fewest) {
            fewest = crossing;
            left = candidate;
        }
    }
    for (std::size_t c = 0; c < columns.widths.size(); ++c) {
        const std::size_t from = c * static_cast<std::size_t>(columns.rows);
        const std::size_t to = std::min<std::size_t>(from + columns.rows, lines.size());
        const std::vector<int> column(lines.begin() + from, lines.begin() + to);
        std::string names[LEGEND_LINES];
        for (std::size_t n = 0; n < column.size(); ++n)
            names[n] = legend_name(column[n], true);
        const int box_left = static_cast<int>(left);
        const int line_left = box_left + columns.gap;
        const int line_right = line_left + columns.line_length;
        draw_legend_lines(surface, g, look, column, names, box_left, line_left, line_right,
                          line_right + columns.gap, box_left + columns.widths[c], room, explorer,
                          columns.bottom - g.line_step);
        left += columns.widths[c];
    }
}

// On a device too small for a column of its own, the legend stands over an
// opaque box, so curves crossing it leave it readable; with a comparison, a
// line for it and a swatch of the band. It stands at the frame's top right,
// moved left (and its lines shortened, its names cut) as far as it takes to
// keep the names on the device.
void draw_legend_over_frame(Surface& surface, const ChartGeometry& g, const ChartLook& look,
                            bool comparison, const TextRoom& room, Explorer& explorer) {
    const int step = g.line_step;
    const int margin = std::max(step / 4, 1);
    // A legend that would cover more than two fifths of the frame's width
    // (the text is large beside a small frame) takes the short names.
    int line_length = plot_length(g, 0.1);
    const int gap = plot_length(g, 0.02);
    const std::vector<int> lines = legend_lines(comparison, look);
    const LegendColumns columns = legend_columns(g, lines, room);
    if (columns.rows > 0) {
        draw_legend_in_columns(surface, g, look, lines, columns, room, explorer);
        return;
    }
    const auto longest_of = [&lines](bool short_names) {
        std::size_t longest = 0;
        for (int k : lines)
            longest = std::max(longest, std::strlen(legend_name(k, short_names)));
        return longest;
    };
    const long long full_width =
        line_length + gap + static_cast<long long>(longest_of(false)) * room.char_width;
    const bool short_names = full_width * 5 > 2LL * (g.frame_right - g.frame_left);
    std::string names[LEGEND_LINES];
    const std::size_t longest = longest_of(short_names);
    for (std::size_t n = 0; n < lines.size(); ++n)
        names[n] = legend_name(lines[n], short_names);
    const int names_width = static_cast<int>(
        std::min<long long>(static_cast<long long>(longest) * room.char_width, INT_MAX / 4));
    const int right_most = room.right - margin;
    int line_left = g.frame_right - plot_length(g, 0.5);
    const int left_most = room.left + gap + margin;
    // Along the frame's top, the place whose box the fewest curve points
    // cross (the right-most of equals).
    {
        const int box_width = gap + line_length + gap + names_width + margin;
        const int box_bottom =
            g.frame_top - g.line_step / 4 - static_cast<int>(lines.size()) * step;
        long long fewest = -1;
        // Clear of the ticks and grid lines' ends on the frame's sides.
        const int tick = plot_length(g, 0.02) + 2;
        const int first = std::max(g.frame_left + gap + tick, left_most);
        const int last =
            std::min(g.frame_right - box_width + gap - tick, right_most - box_width + gap);
        for (int n = 0; n <= 16 && last >= first; ++n) {
            const int candidate =
                last - static_cast<int>((static_cast<long long>(last) - first) * n / 16);
            long long crossing = 0;
            for (const auto& [x, y] : look.points)
                crossing +=
                    x >= candidate - gap && x <= candidate - gap + box_width && y >= box_bottom;
            if (fewest < 0 || crossing < fewest) {
                fewest = crossing;
                line_left = candidate;
            }
        }
    }
    if (line_left + line_length + gap + names_width > right_most) {
        line_left = std::max(right_most - names_width - gap - line_length, left_most);
        // Short of room even at the left: shorter lines first, then cut names.
        line_length = std::clamp(right_most - names_width - gap - line_left, gap, line_length);
    }
    const int line_right = line_left + line_length;
    const int name_left = line_right + gap;
    const int chars = room.chars(name_left);
    std::size_t shown_longest = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        names[n] = cut_to(names[n], chars);
        shown_longest = std::max(shown_longest, names[n].size());
    }
    const int right = std::min(
        name_left + static_cast<int>(shown_longest) * room.char_width + margin, room.right);
    // Inside the frame, so that the labels under it stay readable, as far as
    // the compartments' lines leave room.
    const int compartments_bottom = g.frame_top - step / 4 - COMPARTMENT_COUNT * step;
    draw_legend_lines(surface, g, look, lines, names, line_left - gap, line_left, line_right,
                      name_left, right, room, explorer,
                      std::max(room.bottom, std::min(g.frame_bottom, compartments_bottom)));
}

void draw_read_out(Surface& surface, const ChartGeometry& g, const Records& records,
                   const Explorer& explorer, double x_per_day, const TextRoom& room) {
    const int step = explorer.read_out_step;
    if (step < 0 || step >= shown_rows(records)) return;
    const int x = step_x(step, records.model.dt, x_per_day);
    if (x < g.frame_left || x > g.frame_right) return;
    {
        SelectedPen pen(surface, GREY);
        surface.move_to(x, g.frame_bottom);
        surface.line_to(x, g.frame_top);
    }
    const std::vector<std::string> lines = read_out_lines(records, explorer);
    const int line_step = g.line_step;
    // Wide enough for a count's line, which can be long.
    std::size_t count_chars = 0;
    for (const std::string& line : lines)
        if (line.starts_with(COUNT_READ_OUT)) count_chars = std::max(count_chars, line.size());
    const int width =
        std::max(9 * line_step, static_cast<int>(std::min<std::size_t>(
                                    count_chars * room.char_width + line_step / 2, INT_MAX / 4)));
    const int gap = plot_length(g, 0.01);
    // Beside the line, on the side with more room, and on the device.
    int left = x + gap + width <= g.frame_right ? x + gap : x - gap - width;
    left = std::max(std::min(left, room.right - width), room.left);
    // Below the legend's box (at most six lines), clear of it where the
    // device's height allows.
    const int height = static_cast<int>(lines.size()) * line_step + line_step / 4;
    const int top = std::min(std::max(g.frame_top - 7 * line_step, room.bottom + height), room.top);
    const int bottom = top - height;
    surface.fill_rectangle(left, top, left + width, bottom, WHITE);
    {
        SelectedPen pen(surface, GREY);
        surface.move_to(left, top);
        surface.line_to(left + width, top);
        surface.line_to(left + width, bottom);
        surface.line_to(left, bottom);
        surface.line_to(left, top);
    }
    int y = top - line_step / 8;
    for (const std::string& line : lines) {
        draw_text(surface, left + line_step / 4, y, line);
        y -= line_step;
    }
}

// The observed count nearest the read-out's day, within half a day, in its
// own units, and the model's value for it.
void append_count_lines(std::vector<std::string>& lines, const Records& records,
                        const Explorer& explorer, double day) {
    const std::vector<ObservedPoint>& points = explorer.observed.counts.points;
    const auto nearest = std::min_element(points.begin(), points.end(), [&](auto& a, auto& b) {
        return std::fabs(a.day - day) < std::fabs(b.day - day);
    });
    if (nearest == points.end() || !(std::fabs(nearest->day - day) <= 0.5)) return;
    const OverlayContents contents = overlay_contents(explorer.observed, records);
    const std::size_t k = static_cast<std::size_t>(nearest - points.begin());
    if (k >= contents.residuals.size()) return;
    lines.push_back(formatted("count %.10g on day %.10g", {nearest->count, nearest->day}));
    lines.push_back(formatted("model %.2f", {nearest->count - contents.residuals[k]}));
}

// The chart of the explorer view; a picture (export or print) leaves out the
// read-out, which belongs to the window alone.
void draw_explorer_chart(Surface& surface, Records& records, const SeriesColours& colours,
                         Explorer& explorer, int width, int height, bool picture,
                         const std::string& title = {}) {
    ChartLook look{explorer.view,
                   view_colours(explorer.view, colours),
                   persons_axis(records.scale, explorer.view),
                   {},
                   0.0,
                   {0.0, 0.0, 1.0},
                   {},
                   {}};
    if (explorer.view.effective_r) {
        look.r = effective_reproduction(records, explorer);
        look.r_top = effective_r_axis_top(look.r);
    }
    ChartTextExtent extent;
    if (look.persons.log)
        extent.y_label_chars = static_cast<int>(widest_label_chars(persons_labels(look.persons)));
    extent.right_axis_chars = static_cast<int>(widest_label_chars(effective_r_labels(look)));
    // The header wrapped to the device's width in characters of the reading size.
    const double char_pixels = CHAR_WIDTH_PER_CELL * 1.02 * surface.reading_cell_height();
    const std::vector<std::string> header = header_lines(
        records, explorer,
        char_pixels > 0.0 ? static_cast<int>(std::min(width / char_pixels, 1e6)) - 2 : 0, title);
    extent.header_lines = std::max(static_cast<int>(header.size()), 3);
    // The counts stand where the curves' values stand, on either scale.
    OverlayContents counts = overlay_contents(explorer.observed, records);
    for (auto* points : {&counts.points, &counts.series})
        for (ChartPoint& point : *points)
            point.persons = look.persons.place(point.persons);
    extent.residual_strip = !counts.points.empty();
    explorer.chart_text = extent;
    const ExplorerMapping mapping =
        explorer_mapping(records.scale, width, height, surface.reading_cell_height(), extent);
    ChartGeometry geometry = mapping.geometry;
    explorer.legend_hits.clear();
    if (!set_chart_mapping(surface, 0, 0, width, height, mapping.extent_x, mapping.extent_y,
                           mapping.origin_x, mapping.origin_y)) {
        return;
    }
    // The chart's own drawing writes x_per_day back, as the classic chart does.
    if (geometry.drawable) records.scale.x_per_day = mapping.x_per_day;
    const ChartFont font =
        select_chart_font(surface, geometry, reading_cell(surface, mapping, width, height));
    const TextRoom room = text_room(surface, mapping, width, height);
    draw_header(surface, geometry, header, room);
    if (geometry.drawable) {
        const bool comparison = explorer.view.compare && explorer.has_comparison();
        look.pixels = DevicePixels{std::trunc(mapping.origin_x), std::trunc(mapping.origin_y),
                                   device_scale(mapping, width, height)};
        if (explorer.view.compare)
            draw_bands(surface, geometry, records, explorer, mapping.x_per_day);
        if (explorer.uncertainty.available()) {
            draw_uncertainty_bands(surface, geometry, records, explorer.uncertainty.ensemble(),
                                   look.colours, explorer.uncertainty.ranges.band_compartments,
                                   mapping.x_per_day);
            if (explorer.view.care_curves && records.care.enabled) {
                draw_care_uncertainty_bands(surface, geometry, records,
                                            explorer.uncertainty.ensemble(), mapping.x_per_day);
            }
        }
        draw_axis_text(surface, geometry, records.scale, look, mapping.x_per_day, room, mapping);
        draw_frame(surface, geometry, records.scale, look);
        if (comparison) {
            Colour light[COMPARTMENT_COUNT];
            for (int k = 0; k < COMPARTMENT_COUNT; ++k)
                light[k] = comparison_colour(look.colours.colours[k]);
            draw_series(surface, geometry, records, explorer.comparison(), light, mapping.x_per_day,
                        look);
        }
        draw_series(surface, geometry, records, records.results, look.colours.colours,
                    mapping.x_per_day, look);
        // A legend in columns over the frame keeps its band at the top clear.
        if (mapping.legend == LegendPlace::OverFrame) {
            const LegendColumns columns =
                legend_columns(geometry, legend_lines(comparison, look), room);
            if (columns.rows > 0) {
                look.texts.push_back({geometry.frame_left, columns.bottom, geometry.frame_right,
                                      geometry.frame_top});
            }
        }
        if (!look.r.empty())
            draw_effective_r(surface, geometry, records, mapping.x_per_day, look, room);
        draw_peak(surface, geometry, records, mapping.x_per_day, look, room);
        // A legend over a small frame needs the room the levels' labels would take.
        draw_levels(surface, geometry, records, look, room,
                    mapping.legend != LegendPlace::OverFrame);
        AxisScale counts_scale = records.scale;
        counts_scale.x_per_day = mapping.x_per_day;
        draw_observed_overlay(surface, geometry, counts_scale, counts, mapping.strip_height);
        if (explorer.view.care_curves && records.care.enabled && explorer.care() != nullptr)
            draw_care_curves(surface, geometry, records, *explorer.care(), mapping.x_per_day);
        if (mapping.legend == LegendPlace::OverFrame) {
            draw_legend_over_frame(surface, geometry, look, comparison, room, explorer);
        } else {
            draw_legend_beside(surface, geometry, records.scale, look, comparison,
                               mapping.legend == LegendPlace::BesideShort, room, explorer);
        }
        if (!picture) draw_read_out(surface, geometry, records, explorer, mapping.x_per_day, room);
    } else {
        draw_formatted_text(surface, geometry.frame_left,
                            (geometry.frame_top + geometry.frame_bottom) / 2, RANGE_NOTICE);
    }
    release_chart_font(surface, font);
}

// How the figures fill their box: in columns (the next begun where one
// reaches the foot), their lines wrapped to a column's width or not.
struct FiguresFlow {
    int columns = 1;
    bool wrap = false;
};

// The characters of the default font that fit across width: its cells are
// at most 0.6 of their height wide on average.
int figure_chars(int width, int step) {
    return std::max(static_cast<int>(width / (0.6 * std::max(step, 1))), 8);
}

// The figures in device pixels in the box from left, top, in the device
// default font.
void draw_figures_beside(Surface& surface, const Records& records, const Explorer& explorer,
                         int left, int top, int width, int height, FiguresFlow flow = {}) {
    surface.select_device_default_font();
    surface.set_isotropic_mode();
    surface.set_window_extent(width, height);
    surface.set_viewport_extent(width, height);
    surface.set_window_origin(-left, -top);
    const int step = surface.text_cell_height() + 2;
    if (step <= 2) return;
    const int column_width = width / std::max(flow.columns, 1);
    int x = 0;
    int y = step;
    // A row down, or the top of the next column past the foot.
    const auto advance = [&](int by) {
        y += by;
        if (y + step > height && x + 2 * column_width <= width) {
            x += column_width;
            y = step;
        }
    };
    const auto text = [&](const std::string& line) {
        const std::vector<std::string> pieces =
            flow.wrap ? wrapped(words_of(line), " ", figure_chars(column_width - 8, step))
                      : std::vector<std::string>{line};
        for (std::size_t n = 0; n < pieces.size(); ++n) {
            draw_text(surface, x, y, (n > 0 ? "  " : "") + pieces[n]);
            if (n + 1 < pieces.size()) advance(step);
        }
    };
    const ViewFigures& figures = explorer.figures();
    text(figures.has_baseline ? "Figures, and without intervention" : "Figures of the run");
    advance(step + step / 2);
    for (const std::string& note : figure_notes(figures)) {
        text(note);
        advance(step);
    }
    for (const FigureLine& line : view_figure_lines(records, explorer)) {
        text(std::string(line.label) + ": " + line.value);
        advance(step);
        if (figures.has_baseline && !line.baseline.empty()) {
            // The unit is the line's above.
            std::string compared = "  without: " + line.baseline.substr(0, line.baseline.find(' '));
            if (!line.difference.empty()) compared += " (" + line.difference + ")";
            text(compared);
            advance(step);
        }
        if (y > height) break;
    }
    const ExplorerUncertainty& uncertainty = explorer.uncertainty;
    if (!uncertainty.available()) return;
    advance(step / 2);
    text("Over the ranges (" + std::to_string(uncertainty.ensemble().samples) +
         " samples, 5th to 95th percentile)");
    advance(step);
    for (const std::string& line : interval_lines(uncertainty.ensemble())) {
        text(line);
        advance(step);
    }
    draw_tornado(surface, uncertainty.tornado(), uncertainty.ranges, x, y + step / 2,
                 column_width - 8, step);
}

}  // namespace

Colour comparison_colour(Colour colour) {
    Colour light = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((colour >> shift) & 0xFF);
        light |= static_cast<Colour>(255 - (255 - channel) * 35 / 100) << shift;
    }
    return light;
}

std::vector<std::string> read_out_lines(const Records& records, const Explorer& explorer) {
    const int step = explorer.read_out_step;
    if (records.mode < 0 || step < 0 || step >= shown_rows(records)) return {};
    const CompartmentValues& row = records.results[step];
    std::vector<std::string> lines{
        formatted("day %.2f", {step * records.model.dt}),
        formatted("S %.2f", {row[0]}),
        formatted("E %.2f", {row[1]}),
        formatted("I %.2f", {row[2]}),
        formatted("R %.2f", {row[3]}),
        records.mode == MODE_NO_INTERVENTION
            ? std::string("no intervention")
            : std::string(explorer.reduced_at(step) ? "reduction on" : "reduction off"),
    };
    if (explorer.view.effective_r)
        lines.push_back(effective_r_text(effective_reproduction(records, explorer), step));
    append_count_lines(lines, records, explorer, step * records.model.dt);
    return lines;
}

void paint_explorer_view(Surface& surface, Records& records, const SeriesColours& colours,
                         Explorer& explorer, int width, int height, bool with_figures) {
    if (explorer.view.classic || records.mode < 0) {
        paint_view(surface, records, colours, width, height);
        return;
    }
    explorer.sync(records);
    explorer.uncertainty.sync(records);
    const int chart_width = explorer_chart_width(width, with_figures);
    draw_explorer_chart(surface, records, colours, explorer, chart_width, height, with_figures);
    if (with_figures)
        draw_figures_beside(surface, records, explorer, chart_width + 8, 0, width - chart_width - 8,
                            height);
}

void paint_explorer_page(Surface& surface, Records& records, const SeriesColours& colours,
                         Explorer& explorer, int width, int height) {
    if (explorer.view.classic || records.mode < 0) {
        paint_view(surface, records, colours, width, height);
        return;
    }
    explorer.sync(records);
    explorer.uncertainty.sync(records);
    // The rows of the figures as draw_figures_beside sets them, wrapped in
    // columns of the page's width of figures.
    surface.select_device_default_font();
    surface.set_isotropic_mode();
    surface.set_window_extent(std::max(width, 1), std::max(height, 1));
    surface.set_viewport_extent(std::max(width, 1), std::max(height, 1));
    surface.set_window_origin(0, 0);
    const int row = surface.text_cell_height() + 2;
    const auto rows_of = [](const std::string& text) {
        return static_cast<int>(
            std::max<std::size_t>(wrapped(words_of(text), " ", FIGURE_COLUMN_CHARS).size(), 1));
    };
    const ViewFigures& figures = explorer.figures();
    int rows = 3;
    for (const std::string& note : figure_notes(figures))
        rows += rows_of(note);
    for (const FigureLine& line : view_figure_lines(records, explorer)) {
        rows += rows_of(std::string(line.label) + ": " + line.value);
        if (figures.has_baseline && !line.baseline.empty())
            rows += rows_of("  without: " + line.baseline + " (" + line.difference + ")");
    }
    if (explorer.uncertainty.available()) {
        for (const std::string& line : interval_lines(explorer.uncertainty.ensemble()))
            rows += rows_of(line);
        rows += 5 + static_cast<int>(explorer.uncertainty.tornado().bars.size());
    }
    const ExplorerPageLayout page =
        explorer_page_layout(width, height, row, rows, records.scenario_file);
    draw_explorer_chart(surface, records, colours, explorer, page.chart.width(),
                        page.chart.height(), true, page.title);
    draw_figures_beside(surface, records, explorer, page.figures.left, page.figures.top,
                        page.figures.width(), page.figures.height(),
                        FiguresFlow{page.figure_columns, true});
}

int exported_view_width(int window_width, const ViewOptions& view) {
    return view.classic ? window_width : window_width * 5 / 3;
}

}  // namespace morbilex
