#include "explore/uncertainty.h"

#include <algorithm>
#include <cmath>

#include "chart/selected_pen.h"
#include "explore/care_curves.h"
#include "text/format.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

Colour lighter(Colour colour, int keep_percent) {
    Colour light = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((colour >> shift) & 0xFF);
        light |= static_cast<Colour>(255 - (255 - channel) * keep_percent / 100) << shift;
    }
    return light;
}

bool coordinate(double value, int& out) {
    const double shifted = value + 0.5;
    if (!(shifted > -1e9 && shifted < 1e9)) return false;
    out = static_cast<int>(std::floor(shifted));
    return true;
}

void draw_string(Surface& surface, int x, int y, const std::string& text) {
    surface.text_out(x, y, text.data(), static_cast<int>(text.size()));
}

std::string formatted(const char* format, double value) {
    char text[64];
    format_text(text, sizeof text, format, {value});
    return text;
}

// The figures' labels, in INTERVAL_FIGURES' order.
constexpr const char* INTERVAL_LABELS[] = {
    "Peak infectious", "Day of the peak", "Final size (R)", "Attack rate",
    "Days reduced",    "Switches on",     "Final S",
};
static_assert(std::size(INTERVAL_LABELS) == std::size(INTERVAL_FIGURES));

}  // namespace

bool ExplorerRanges::set(std::string_view name, double low, double high) {
    ParameterRange range;
    std::string error;
    std::string text = std::string(name) + "=";
    append_shortest(text, low);
    text += ':';
    append_shortest(text, high);
    if (!parse_parameter_range(text, text, range, error)) return false;
    remove(name);
    ranges.push_back(std::move(range));
    return true;
}

void ExplorerRanges::remove(std::string_view name) {
    std::erase_if(ranges, [name](const ParameterRange& range) { return range.name == name; });
}

bool ExplorerRanges::set_about(std::string_view name, double value, double minimum,
                               double maximum) {
    const double reach = (maximum - minimum) / 10.0;
    return set(name, std::max(value - reach, minimum), std::min(value + reach, maximum));
}

const ParameterRange* ExplorerRanges::find(std::string_view name) const {
    for (const ParameterRange& range : ranges) {
        if (range.name == name) return &range;
    }
    return nullptr;
}

std::string ExplorerRanges::text() const {
    std::string text;
    for (const ParameterRange& range : ranges) {
        if (!text.empty()) text += ' ';
        text += parameter_range_text(range);
    }
    return text;
}

EnsemblePlan explorer_plan(const Records& records, const ExplorerRanges& ranges) {
    EnsemblePlan plan;
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        if (kind == DialogKind::AxisScale) continue;
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order == 0) continue;
            TypedField typed{kind, &field, {}};
            append_shortest(typed.text, field.shown_value(records));
            plan.base.push_back(std::move(typed));
        }
    }
    plan.mode = records.mode;
    plan.ranges = ranges.ranges;
    plan.samples = ranges.samples;
    plan.care = records.care;
    plan.capacity = records.capacity;
    return plan;
}

void ExplorerUncertainty::sync(const Records& records) {
    const std::string text = ranges.text();
    const CapacitySetting& capacity = records.capacity;
    const bool same_capacity = capacity.set == capacity_.set &&
                               (!capacity.set || (capacity.capacity == capacity_.capacity &&
                                                  capacity.series == capacity_.series));
    if (computed_ && mode_ == records.mode && same_scenario(scenario_, records) && same_capacity &&
        ranges_text_ == text && samples_ == ranges.samples) {
        return;
    }
    computed_ = true;
    scenario_ = records;
    capacity_ = capacity;
    mode_ = records.mode;
    ranges_text_ = text;
    samples_ = ranges.samples;
    available_ = false;
    refusal_.clear();
    if (ranges.empty() || records.mode < 0) return;
    const EnsemblePlan plan = explorer_plan(records, ranges);
    ScenarioRefusal refused;
    EnsembleSettings settings;
    settings.band_compartments = ranges.band_compartments;
    if (!ranges_acceptable(plan, refused) || !run_ensemble(plan, settings, ensemble_, refused) ||
        !compute_tornado(plan, summary_column_index("peak_infectious"), tornado_, refused)) {
        refusal_ = refused.cause == ScenarioRefusal::Cause::NotIntegrable
                       ? "a sample cannot be integrated"
                       : refused_field_text(refused);
        return;
    }
    available_ = true;
}

Colour outer_band_colour(Colour colour) {
    return lighter(colour, 18);
}

Colour inner_band_colour(Colour colour) {
    return lighter(colour, 40);
}

void draw_uncertainty_bands(Surface& surface, const ChartGeometry& g, const Records& records,
                            const EnsembleResult& ensemble, const SeriesColours& colours,
                            unsigned compartments, double x_per_day) {
    const double y_per_person = records.scale.y_per_person;
    const int rows = std::min(ensemble.rows, MAX_STEPS);
    const int pairs[2][2] = {{0, BAND_LEVEL_COUNT - 1}, {1, BAND_LEVEL_COUNT - 2}};
    for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
        if ((compartments & (1u << c)) == 0) continue;
        for (int band = 0; band < 2; ++band) {
            const Colour colour = band == 0 ? outer_band_colour(colours.colours[c])
                                            : inner_band_colour(colours.colours[c]);
            SelectedPen pen(surface, colour);
            int last_x = g.frame_left - 1;
            for (int r = 0; r < rows; ++r) {
                int x = 0, low = 0, high = 0;
                if (!coordinate(ensemble.t[r] * x_per_day, x) || x < g.frame_left ||
                    x > g.frame_right || x == last_x) {
                    continue;
                }
                if (!coordinate(ensemble.band_value(r, c, pairs[band][0]) * y_per_person, low) ||
                    !coordinate(ensemble.band_value(r, c, pairs[band][1]) * y_per_person, high)) {
                    continue;
                }
                low = std::clamp(low, g.frame_bottom, g.frame_top);
                high = std::clamp(high, g.frame_bottom, g.frame_top);
                surface.move_to(x, low);
                surface.line_to(x, high);
                last_x = x;
            }
        }
    }
}

void draw_care_uncertainty_bands(Surface& surface, const ChartGeometry& g, const Records& records,
                                 const EnsembleResult& ensemble, double x_per_day) {
    if (!ensemble.has_care_bands) return;
    const double y_per_person = records.scale.y_per_person;
    const int rows = std::min(ensemble.rows, MAX_STEPS);
    const int pairs[2][2] = {{0, BAND_LEVEL_COUNT - 1}, {1, BAND_LEVEL_COUNT - 2}};
    for (CareSeries series : ALL_CARE_SERIES) {
        const Colour care_colour = CARE_SERIES_COLOURS[static_cast<int>(series)];
        for (int band = 0; band < 2; ++band) {
            SelectedPen pen(surface, band == 0 ? outer_band_colour(care_colour)
                                               : inner_band_colour(care_colour));
            int last_x = g.frame_left - 1;
            for (int r = 0; r < rows; ++r) {
                int x = 0, low = 0, high = 0;
                if (!coordinate(ensemble.t[r] * x_per_day, x) || x < g.frame_left ||
                    x > g.frame_right || x == last_x ||
                    !coordinate(ensemble.care_band_value(r, series, pairs[band][0]) * y_per_person,
                                low) ||
                    !coordinate(ensemble.care_band_value(r, series, pairs[band][1]) * y_per_person,
                                high)) {
                    continue;
                }
                surface.move_to(x, std::clamp(low, g.frame_bottom, g.frame_top));
                surface.line_to(x, std::clamp(high, g.frame_bottom, g.frame_top));
                last_x = x;
            }
        }
    }
}

std::vector<std::string> interval_lines(const EnsembleResult& ensemble) {
    std::vector<std::string> lines;
    for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
        const ValueKind kind = SUMMARY_COLUMNS[summary_column_index(INTERVAL_FIGURES[f])].kind;
        const char* format = readable_format(kind);
        lines.push_back(std::string(INTERVAL_LABELS[f]) + ": " +
                        formatted(format, ensemble.interval(f, 0)) + " to " +
                        formatted(format, ensemble.interval(f, 2)) + unit_of(kind) + " (median " +
                        formatted(format, ensemble.interval(f, 1)) + ")");
    }
    if (ensemble.has_capacity) {
        lines.push_back(std::string("Over capacity: ") + over_capacity_text(ensemble));
    }
    return lines;
}

std::vector<std::string> tornado_lines(const Tornado& tornado, const ExplorerRanges& ranges) {
    const ValueKind kind = SUMMARY_COLUMNS[tornado.column].kind;
    const char* format = readable_format(kind);
    std::vector<std::string> lines{std::string("Effect on ") +
                                   SUMMARY_COLUMNS[tornado.column].name + " (low / high end)"};
    for (const TornadoBar& bar : tornado.bars) {
        lines.push_back(ranges.ranges[bar.range].name + ": " + formatted(format, bar.at_low) +
                        " / " + formatted(format, bar.at_high) + unit_of(kind));
    }
    return lines;
}

void draw_tornado(Surface& surface, const Tornado& tornado, const ExplorerRanges& ranges, int left,
                  int top, int width, int line_step, int title_lines) {
    if (width <= 0 || line_step <= 0) return;
    const std::string figure = std::string("Effect on ") + SUMMARY_COLUMNS[tornado.column].name;
    const char* ends = "(low / high end)";
    if (title_lines > 1) {
        draw_string(surface, left, top, figure);
        top += line_step;
        draw_string(surface, left, top, ends);
    } else {
        draw_string(surface, left, top, figure + " " + ends);
    }
    double widest = 0.0;
    for (const TornadoBar& bar : tornado.bars)
        widest = std::max(widest, std::max(std::fabs(bar.at_low - tornado.central),
                                           std::fabs(bar.at_high - tornado.central)));
    const int label_width = std::max(width / 4, 1);
    const int centre = left + label_width + (width - label_width) / 2;
    const int half = std::max((width - label_width) / 2 - 2, 1);
    int y = top + line_step;
    for (const TornadoBar& bar : tornado.bars) {
        const std::string& name = ranges.ranges[bar.range].name;
        draw_string(surface, left, y, name);
        const auto reach = [&](double value) {
            if (!(widest > 0.0) || !std::isfinite(value)) return centre;
            return centre +
                   static_cast<int>(std::lround((value - tornado.central) / widest * half));
        };
        const int bar_top = y + line_step / 6, bar_bottom = y + line_step - line_step / 6;
        const int at_low = reach(bar.at_low), at_high = reach(bar.at_high);
        surface.fill_rectangle(std::min(centre, at_low), bar_top, std::max(centre, at_low) + 1,
                               bar_bottom, 0xE0A060);  // the low end: blue
        surface.fill_rectangle(std::min(centre, at_high), bar_top, std::max(centre, at_high) + 1,
                               bar_bottom, 0x6060E0);  // the high end: red
        y += line_step;
    }
    SelectedPen pen(surface, 0x808080);
    surface.move_to(centre, top + line_step);
    surface.line_to(centre, y);
}

namespace {

// The chart's font at the device's reading size, in a one-to-one mapping.
ChartFont select_panel_font(Surface& surface) {
    surface.select_device_default_font();
    const double cell = std::ceil(surface.reading_cell_height());
    ChartGeometry unused;
    return select_chart_font(surface, unused,
                             cell >= 1.0 && cell < 1000.0 ? static_cast<int>(cell) : 16);
}

}  // namespace

int tornado_line_step(Surface& surface) {
    const ChartFont font = select_panel_font(surface);
    const int step = surface.text_cell_height() + 2;
    release_chart_font(surface, font);
    return step;
}

int paint_tornado_panel(Surface& surface, const ExplorerUncertainty& uncertainty, int width,
                        int height) {
    if (!uncertainty.available() || uncertainty.tornado().bars.empty()) return 0;
    surface.set_isotropic_mode();
    surface.set_window_extent(width, height);
    surface.set_viewport_extent(width, height);
    surface.set_window_origin(0, 0);
    const ChartFont font = select_panel_font(surface);
    const int step = surface.text_cell_height() + 2;
    if (step > 2)
        draw_tornado(surface, uncertainty.tornado(), uncertainty.ranges, 4, step / 4, width - 8,
                     step, 2);
    release_chart_font(surface, font);
    return step > 2 ? step : 0;
}

int tornado_panel_height(const ExplorerUncertainty& uncertainty, int line_step) {
    if (!uncertainty.available() || uncertainty.tornado().bars.empty()) return 0;
    const int bars = static_cast<int>(uncertainty.tornado().bars.size());
    return (bars + 2) * line_step + line_step / 2;
}

}  // namespace morbilex
