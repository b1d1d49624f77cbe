// The page's entry points into the core: a scenario typed into the dialogs'
// fields, its run, chart, figures and trace (sweeps: page_sweep.cpp). The
// page holds a Page and hands it to every call.
#include <emscripten.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/run_summary.h"
#include "analysis/scenario_setup.h"
#include "chart/chart.h"
#include "explore/axis_fitting.h"
#include "explore/count_fit_command.h"
#include "explore/explorer.h"
#include "explore/explorer_view.h"
#include "explore/field_help.h"
#include "explore/figures.h"
#include "explore/sliders.h"
#include "explore/view_commands.h"
#include "explore/view_figures.h"
#include "model/simulation.h"
#include "page.h"
#include "shell/care_fields.h"
#include "shell/messages.h"
#include "shell/quoted_text.h"
#include "shell/scenario_document.h"
#include "text/read.h"
#include "text/shortest.h"
#include "trace/traced_run.h"
#include "web_surface.h"

namespace morbilex::web {

const char* handed_out(Page& page, std::string text) {
    page.text = std::move(text);
    return page.text.c_str();
}

namespace {

// A string of the core's tables as JSON: they hold no control characters.
void append_json(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    out += '"';
}

void append_json_number(std::string& out, double value) {
    append_shortest(out, value);
}

// The read-out of the step shown, its lines joined by ", "; empty when none.
const char* readout_text(Page& page) {
    std::string text;
    for (const std::string& line : read_out_lines(page.records, page.explorer))
        text += (text.empty() ? "" : ", ") + line;
    return handed_out(page, text);
}

// Figures are shown for a run that ran to its end in finite numbers only.
bool figures_shown(const Page& page) {
    const ViewFigures& figures = page.explorer.figures();
    const int status = summary_column_index("status");
    return page.records.mode >= 0 && figures.available &&
           std::string_view(figures.run[status].text) == "ok";
}

// The text size of the chart last painted places its frame.
double reading_cell(const Page& page) {
    return page.surface ? page.surface->reading_cell_height() : Surface::READING_CELL_AT_96_DPI;
}

}  // namespace
}  // namespace morbilex::web

using morbilex::web::append_json;
using morbilex::web::append_json_number;
using morbilex::web::figures_shown;
using morbilex::web::handed_out;
using morbilex::web::Page;
using morbilex::web::reading_cell;
using morbilex::web::readout_text;
using namespace morbilex;

extern "C" {

EMSCRIPTEN_KEEPALIVE Page* page_create() {
    Page* page = new Page;
    init_series_colours(page->colours);
    return page;
}

// Forgets the typed fields: the next run starts from the dialogs' defaults.
EMSCRIPTEN_KEEPALIVE void page_clear_fields(Page* page) {
    page->typed.clear();
    page->care_typed.clear();
    page->capacity_typed.clear();
    page->capacity_series_typed.clear();
}

// Every field the dialogs edit, grouped as the page shows them, as JSON:
// {"groups": [{"title", "mode" (0: every mode), "care" (the care layer's group
// only), "fields": [{"name", "label",
// "slider" (with "min", "max", "step" when true), "default", "unit", "help"}]}]}.
EMSCRIPTEN_KEEPALIVE const char* page_fields(Page* page) {
    const std::vector<ExplorerField> fields = explorer_fields();
    std::string json = "{\"groups\":[";
    for (const FieldGroup& group : field_groups()) {
        if (json.back() != '[') json += ',';
        json += "{\"title\":";
        append_json(json, group.title);
        json += ",\"mode\":" + std::to_string(static_cast<int>(group.mode));
        if (group.care) json += ",\"care\":true";
        if (group.capacity) json += ",\"capacity\":true";
        json += ",\"fields\":[";
        for (const ExplorerField& field : fields) {
            if (field.dialog != group.dialog || field.care != group.care ||
                field.capacity != group.capacity)
                continue;
            if (json.back() != '[') json += ',';
            json += "{\"name\":";
            append_json(json, field.field->name);
            json += ",\"label\":";
            append_json(json, field.label);
            json += ",\"slider\":";
            json += field.slider != nullptr ? "true" : "false";
            if (field.slider != nullptr) {
                json += ",\"min\":";
                append_json_number(json, field.slider->minimum);
                json += ",\"max\":";
                append_json_number(json, field.slider->maximum);
                json += ",\"step\":";
                append_json_number(json, field.slider->step);
            }
            json += ",\"default\":";
            append_json(json, field.default_text);
            const FieldHelp* help = field_help(field.field->name);
            json += ",\"unit\":";
            append_json(json, help != nullptr ? help->unit : "");
            json += ",\"help\":";
            append_json(json, help != nullptr ? help->meaning : "");
            json += '}';
        }
        json += "]}";
    }
    return handed_out(*page, json + "]}");
}

// Types a field by its name (R_0, T_max, Redct1, xmin, ...); 0 when no
// dialog has a field of that name. The text is kept whole, however long: the
// run refuses a text longer than a field holds rather than cutting it.
EMSCRIPTEN_KEEPALIVE int page_set_field(Page* page, const char* name, const char* text) {
    if (std::string_view(name) == capacity_slider_field().name) {
        page->capacity_typed = text;
        return 1;
    }
    if (std::string_view(name) == web::CAPACITY_SERIES_NAME) {
        page->capacity_series_typed = text;
        return 1;
    }
    if (std::string_view(name) == CARE_SWITCH_NAME || find_care_field(name) != nullptr) {
        for (auto& typed : page->care_typed) {
            if (typed.first == name) {
                typed.second = text;
                return 1;
            }
        }
        page->care_typed.emplace_back(name, text);
        return 1;
    }
    TypedField field;
    if (!find_editable_field(name, field)) return 0;
    field.text = text;
    for (TypedField& typed : page->typed) {
        if (typed.field == field.field) {
            typed.text = field.text;
            return 1;
        }
    }
    page->typed.push_back(std::move(field));
    return 1;
}

// The scenario as the dialogs take it, then its run: one integration gives
// the table, the figures and the run without intervention beside it. 0 when
// it ran; otherwise page_refusal says why: 1 a field refused, 2 values the
// run cannot integrate, 3 the run overflowed (its chart is drawn, its
// figures are not shown).
EMSCRIPTEN_KEEPALIVE int page_run(Page* page, int mode) {
    Records& records = page->records;
    reset_scenario_fields(records);
    page->refusal.clear();
    const auto refuse = [&](std::string why, int status) {
        page->refusal = std::move(why);
        records.mode = MODE_NOTHING_CALCULATED;
        page->explorer.read_out_step = -1;
        page->explorer.invalidate();
        return status;
    };
    for (const TypedField& typed : page->typed) {
        if (!fits_field(typed.text)) return refuse(too_long_field_text(typed.field->name), 1);
    }
    SetupRefusal refused;
    if (!apply_typed_fields(records, page->typed, refused))
        return refuse(refused_field_text(refused_field(refused, page->typed, 0)), 1);
    // The care layer: on with "care = 1" or any of its fields typed, unless
    // "care = 0"; its curves shown while it is on.
    bool care_switch = false;
    for (const auto& [name, text] : page->care_typed) {
        const std::string given = name + "=" + shown_text(text) + " refused: ";
        if (name == CARE_SWITCH_NAME) {
            if (text != "0" && text != "1") return refuse(given + "it is 0 (off) or 1 (on)", 1);
            records.care.enabled = text == "1";
            care_switch = true;
            continue;
        }
        const CareField& field = *find_care_field(name);
        double value = 0.0;
        if (!fits_field(text)) return refuse(too_long_field_text(name), 1);
        const RefusalReason reason = read_field_text(field.dialog_field, text, value);
        if (reason != RefusalReason::None) return refuse(given + care_refusal_text(reason), 1);
        DialogScratch scratch;
        *field.dialog_field.storage(records, scratch) = value;
        if (!care_switch) records.care.enabled = true;
    }
    page->explorer.view.care_curves = records.care.enabled;
    std::string capacity_refusal;
    if (!apply_capacity_text(records, page->capacity_typed, capacity_refusal))
        return refuse(
            "capacity=" + shown_text(page->capacity_typed) + " refused: " + capacity_refusal, 1);
    records.counts_link = page->counts_link;
    follow_counts_link(page->explorer.observed, records);
    if (!web::apply_capacity_series(page->capacity_series_typed, records, capacity_refusal))
        return refuse(capacity_refusal, 1);
    if (!run_inputs_acceptable(records, mode)) return refuse(run_failure_text(RUN_REFUSED), 2);
    page->mode = mode;
    records.mode = mode;
    page->explorer.run_without_trace(records);
    page->explorer.read_out_step = std::min(page->explorer.read_out_step, shown_rows(records) - 1);
    const SummaryRow& figures = page->explorer.figures().run;
    const double overflow_day = figures[summary_column_index("first_non_finite_day")].as_number();
    if (std::isfinite(overflow_day)) {
        NonFiniteRow row;
        row.day = overflow_day;
        page->refusal = non_finite_run_text(row);
        return 3;
    }
    return 0;
}

// The value a typed field holds after the last run, shortest, when it is not
// the number typed (a T_max beyond the longest run, a repaired initial
// value); empty when it is, or when the field was not typed.
EMSCRIPTEN_KEEPALIVE const char* page_field_used(Page* page, const char* name) {
    std::string used;
    for (const TypedField& typed : page->typed) {
        if (page->records.mode < 0 || std::string_view(typed.field->name) != name) continue;
        double read = 0.0;
        const double held = typed.field->shown_value(page->records);
        if (read_leading_number(typed.text, read) && std::isfinite(held) && read != held)
            append_shortest(used, held);
    }
    return handed_out(*page, used);
}

EMSCRIPTEN_KEEPALIVE const char* page_refusal(Page* page) {
    return page->refusal.c_str();
}

// The chart for a canvas of width x height device pixels: the commands'
// count is page_commands_size, their text page_commands_text.
EMSCRIPTEN_KEEPALIVE const std::int32_t* page_paint(Page* page, int width, int height,
                                                    double default_font_pixels) {
    page->surface = std::make_unique<web::WebSurface>(default_font_pixels);
    paint_explorer_view(*page->surface, page->records, page->colours, page->explorer, width, height,
                        false);
    return page->surface->commands().data();
}
// The chart as a picture (the PNG and SVG the page saves): the same drawing
// without the read-out, which belongs to the page alone.
EMSCRIPTEN_KEEPALIVE const std::int32_t* page_paint_picture(Page* page, int width, int height,
                                                            double default_font_pixels) {
    const int step = page->explorer.read_out_step;
    page->explorer.read_out_step = -1;
    const std::int32_t* commands = page_paint(page, width, height, default_font_pixels);
    page->explorer.read_out_step = step;
    return commands;
}
EMSCRIPTEN_KEEPALIVE int page_commands_size(Page* page) {
    return static_cast<int>(page->surface->commands().size());
}
EMSCRIPTEN_KEEPALIVE const char* page_commands_text(Page* page) {
    return page->surface->text().data();
}

// The figures of the last run as the desktop's panel shows them, one line
// each: name, label, value, value without intervention and the change (tab
// separated; the last two empty for a run without intervention). None for a
// run that overflowed.
EMSCRIPTEN_KEEPALIVE const char* page_figure_lines(Page* page) {
    std::string text;
    if (!figures_shown(*page)) return handed_out(*page, text);
    for (const FigureLine& line : view_figure_lines(page->records, page->explorer)) {
        text += std::string(line.name) + '\t' + line.label + '\t' + line.value + '\t' +
                line.baseline + '\t' + line.difference + '\n';
    }
    return handed_out(*page, text);
}

// "peak -57 %, 38 days later" after an intervention; empty otherwise.
EMSCRIPTEN_KEEPALIVE const char* page_peak_change(Page* page) {
    const ViewFigures& figures = page->explorer.figures();
    if (!figures_shown(*page)) return handed_out(*page, {});
    return handed_out(*page, peak_change_text(figures));
}

// The read-out at a device x of the chart painted width x height: the step
// under it is shown by the next paint. Returns the read-out's text, empty
// when no step is shown.
EMSCRIPTEN_KEEPALIVE const char* page_readout(Page* page, int x, int width, int height) {
    const Records& records = page->records;
    page->explorer.read_out_step =
        records.mode < 0 ? -1
                         : step_at_device_x(records, x, width, height, reading_cell(*page),
                                            page->explorer.chart_text);
    return readout_text(*page);
}

// The read-out moved by a key (a ReadOutKey: 0 Left, 1 Right, 2 Shift+Left,
// 3 Shift+Right, 4 Page Up, 5 Page Down, 6 Home, 7 End) over the chart
// painted width x height; returns as page_readout.
EMSCRIPTEN_KEEPALIVE const char* page_readout_key(Page* page, int key, int width, int height) {
    if (key < 0 || key > static_cast<int>(ReadOutKey::End)) return readout_text(*page);
    const ReadOutSteps steps = read_out_steps(page->records, width, height, reading_cell(*page),
                                              page->explorer.chart_text);
    page->explorer.read_out_step =
        read_out_step_after_key(page->explorer.read_out_step, static_cast<ReadOutKey>(key), steps);
    return readout_text(*page);
}

// The read-out of the step shown now (after a run), as page_readout.
EMSCRIPTEN_KEEPALIVE const char* page_readout_shown(Page* page) {
    return readout_text(*page);
}

// The axes fitted to the last run (the comparison's curves included);
// returns the scale's xmin, xmax, ymin, ymax, which the page shows.
EMSCRIPTEN_KEEPALIVE const double* page_fit(Page* page) {
    fit_axes(page->records, page->explorer);
    const AxisScale& scale = page->records.scale;
    double* out = page->readout;
    out[0] = scale.xmin;
    out[1] = scale.xmax;
    out[2] = scale.ymin;
    out[3] = scale.ymax;
    return out;
}

// The trace of the last run, as the desktop writes temp.dat; its length is
// page_text_size.
EMSCRIPTEN_KEEPALIVE const char* page_trace(Page* page) {
    std::string text;
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    if (stream != nullptr && page->records.mode >= 0) {
        Records copy = page->records;
        run_simulation_to_stream(copy, page->mode, stream);
    }
    if (stream != nullptr) std::fclose(stream);
    if (buffer != nullptr) text.assign(buffer, size);
    std::free(buffer);
    return handed_out(*page, std::move(text));
}

// The run's figures as morbilex-batch --summary=FILE.csv writes them (with
// --capacity when a capacity is set).
EMSCRIPTEN_KEEPALIVE const char* page_figures_csv(Page* page) {
    const ViewFigures& figures = page->explorer.figures();
    std::string text = summary_csv_header();
    if (figures.has_capacity) append_capacity_csv_header(text);
    text += "\n";
    append_summary_csv(text, figures.run);
    if (figures.has_capacity) append_capacity_csv(text, figures.capacity_row);
    return handed_out(*page, text + "\n");
}

// The last run's scenario as the desktop's Save Scenario As writes it: its
// fields, the scale it was drawn with and its mode, and the counts shown
// with their rows kept in it (a page has no path to link them by). Empty
// when the last run was refused: there is no scenario the dialogs would take.
EMSCRIPTEN_KEEPALIVE const char* page_scenario_document(Page* page) {
    Records& records = page->records;
    if (records.mode < 0) return handed_out(*page, {});
    const ObservedOverlay& observed = page->explorer.observed;
    const CountsLink linked = records.counts_link;
    if (!observed.counts.points.empty()) keep_counts_rows(records.counts_link, observed.text);
    const std::string text = write_scenario_document(records);
    records.counts_link = linked;
    return handed_out(*page, text);
}

// Room for a scenario file of size bytes, which the page copies there
// before page_open_scenario (a file can be larger than the stack that
// passing it as a string would take).
EMSCRIPTEN_KEEPALIVE char* page_input_buffer(Page* page, int size) {
    page->input.assign(static_cast<std::size_t>(size < 0 ? 0 : size), '\0');
    return page->input.data();
}

// Reads the file in page_input_buffer as the desktop's Open Scenario does,
// all or nothing. When it is read, page_text_size bytes of the text
// returned are its fields' and mode's shortest "name = value" lines (no mode
// line when the file names none), which the page types into its fields.
// Null when refused: page_refusal names the line and field. The page's own scenario
// is not touched either way.
EMSCRIPTEN_KEEPALIVE const char* page_open_scenario(Page* page) {
    auto records = std::make_unique<Records>();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    // A file's view switches (the desktop's settings) are read and passed over.
    ViewOptions passed_over;
    const auto switches = view_switches(passed_over);
    const bool read = read_scenario_document(page->input, *records, mode, error, switches);
    page->input.clear();
    page->input.shrink_to_fit();
    if (!read) {
        page->refusal = error;
        return nullptr;
    }
    records->mode = mode;
    return handed_out(*page, write_scenario_document(*records));
}

EMSCRIPTEN_KEEPALIVE int page_text_size(Page* page) {
    return static_cast<int>(page->text.size());
}

// Every summary column's name, one a line.
EMSCRIPTEN_KEEPALIVE const char* page_summary_columns(Page* page) {
    std::string names;
    for (const SummaryColumn& column : SUMMARY_COLUMNS)
        names += std::string(column.name) + "\n";
    return handed_out(*page, names);
}

// Ranges: a field's range (its texts read as the dialogs read numbers); 0 when
// taken, 1 when refused (a field without a range, ends not in order).
EMSCRIPTEN_KEEPALIVE int page_set_range(Page* page, const char* name, const char* low,
                                        const char* high) {
    double low_value = 0.0, high_value = 0.0;
    if (!read_full_number(low, low_value) || !read_full_number(high, high_value)) return 1;
    return page->explorer.uncertainty.ranges.set(name, low_value, high_value) ? 0 : 1;
}
// Whether the field may be given a range (not T_max, not a scale's field).
EMSCRIPTEN_KEEPALIVE int page_rangeable(const char* name) {
    return rangeable_field(name) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void page_clear_range(Page* page, const char* name) {
    page->explorer.uncertainty.ranges.remove(name);
}
// The ranges as morbilex-batch's --range values, space separated.
EMSCRIPTEN_KEEPALIVE const char* page_ranges(Page* page) {
    return handed_out(*page, page->explorer.uncertainty.ranges.text());
}
// What the ranges give the run on screen: a line per figure's interval, then
// "tornado" lines (tab separated: field, the figure at its low end, at its
// high end), widest first; empty without ranges.
EMSCRIPTEN_KEEPALIVE const char* page_uncertainty(Page* page) {
    ExplorerUncertainty& uncertainty = page->explorer.uncertainty;
    if (page->records.mode >= 0) uncertainty.sync(page->records);
    std::string text;
    if (!uncertainty.available()) return handed_out(*page, text);
    for (const std::string& line : interval_lines(uncertainty.ensemble()))
        text += line + '\n';
    for (const TornadoBar& bar : uncertainty.tornado().bars) {
        text += "tornado\t" + uncertainty.ranges.ranges[bar.range].name + '\t';
        append_shortest(text, bar.at_low);
        text += '\t';
        append_shortest(text, bar.at_high);
        text += '\n';
    }
    return handed_out(*page, text);
}
EMSCRIPTEN_KEEPALIVE const char* page_bands_csv(Page* page) {
    const ExplorerUncertainty& uncertainty = page->explorer.uncertainty;
    return handed_out(*page, uncertainty.available() ? bands_csv_text(uncertainty.ensemble()) : "");
}

}  // extern "C"

// Observed counts, their fit and the chart's options.
namespace {

// The page's link with the line name set to text (removed when text is
// empty; "data" stays first), as a trial: problem says why the counts could
// not be read with it. The page's counts are untouched.
std::vector<std::pair<std::string, std::string>> link_with(const Page& page,
                                                           const std::string& name,
                                                           const std::string& text) {
    auto link = page.counts_link;
    std::erase_if(link, [&](const auto& line) { return line.first == name; });
    if (!text.empty()) {
        if (name == "data") {
            link.insert(link.begin(), {name, text});
        } else {
            link.emplace_back(name, text);
        }
    }
    return link;
}

bool try_link(Page& page, std::vector<std::pair<std::string, std::string>> link,
              ObservedOverlay trial) {
    Records linked;
    linked.counts_link = link;
    follow_counts_link(trial, linked);
    if (!trial.problem.empty()) {
        page.refusal = trial.problem;
        return false;
    }
    page.counts_link = std::move(link);
    page.explorer.observed = std::move(trial);
    return true;
}

}  // namespace

extern "C" {

// What the page's controls of observed counts offer, as JSON: {"link": the
// scenario file's names of its lines, "row": the name of a row of counts it
// keeps, "measures", "objectives", "fields":
// [{"name", "mode" (0: every mode)}] that may be fitted, "default_fit"}.
EMSCRIPTEN_KEEPALIVE const char* page_counts_table(Page* page) {
    std::string json = "{\"link\":[";
    for (const char* name : COUNTS_LINK_NAMES) {
        if (json.back() != '[') json += ',';
        append_json(json, name);
    }
    json += "],\"measures\":[";
    for (CountMeasure measure :
         {CountMeasure::Prevalence, CountMeasure::Incidence, CountMeasure::Cumulative}) {
        if (json.back() != '[') json += ',';
        append_json(json, count_measure_name(measure));
    }
    json += "],\"objectives\":[";
    for (FitObjective objective : {FitObjective::LeastSquares, FitObjective::PoissonDeviance}) {
        if (json.back() != '[') json += ',';
        append_json(json, fit_objective_name(objective));
    }
    json += "],\"fields\":[";
    for (const FitField& field : fit_fields()) {
        if (json.back() != '[') json += ',';
        json += "{\"name\":";
        append_json(json, field.name);
        json += ",\"mode\":" + std::to_string(field.only_in_mode) + "}";
    }
    json += "],\"row\":";
    append_json(json, COUNTS_ROW_NAME);
    json += ",\"default_fit\":";
    append_json(json, DEFAULT_FIT_FIELDS);
    return handed_out(*page, json + "}");
}

// Reads the counts file in page_input_buffer, named name, with the link's
// other lines; 1 when read (the next run shows them), 0 when refused
// (page_refusal: the line and why), the page's counts unchanged.
EMSCRIPTEN_KEEPALIVE int page_open_counts(Page* page, const char* name) {
    ObservedOverlay trial = page->explorer.observed;
    supply_counts_text(trial, name, std::move(page->input));
    page->input.clear();
    return try_link(*page, link_with(*page, "data", name), std::move(trial)) ? 1 : 0;
}

// Sets a line of the counts' link (data_series, data_column, data_day_zero,
// population, reporting, fit, fit_objective; an empty text removes it); 0
// when the counts cannot be read with it (page_refusal says why), the link
// unchanged.
EMSCRIPTEN_KEEPALIVE int page_set_counts_line(Page* page, const char* name, const char* text) {
    ObservedOverlay trial = page->explorer.observed;
    return try_link(*page, link_with(*page, name, text), std::move(trial)) ? 1 : 0;
}

// Forgets the counts and their link.
EMSCRIPTEN_KEEPALIVE void page_close_counts(Page* page) {
    page->counts_link.clear();
    page->explorer.observed = {};
}

// The counts beside the last run: "N counts; OBJECTIVE: V, RMSE: R"; empty
// without counts or a run that reaches them.
EMSCRIPTEN_KEEPALIVE const char* page_counts_status(Page* page) {
    const ObservedOverlay& observed = page->explorer.observed;
    const OverlayContents contents = overlay_contents(observed, page->records);
    if (contents.points.empty()) return handed_out(*page, {});
    std::string text = std::to_string(contents.points.size()) + " counts; ";
    text +=
        observed.objective == FitObjective::LeastSquares ? "sum of squares " : "Poisson deviance ";
    append_shortest(text, contents.objective);
    text += ", RMSE ";
    append_shortest(text, contents.rmse);
    return handed_out(*page, text);
}

// Fits the fields the link's fit line names to the counts, the last run's
// scenario as the start: the result's text (fit_result_text), a blank line,
// then the fitted values as "name = value" lines (shortest); null when there
// is no fit (page_refusal says why).
EMSCRIPTEN_KEEPALIVE const char* page_fit_counts(Page* page) {
    CountFit fit;
    FitObjective objective = FitObjective::LeastSquares;
    std::string problem;
    if (!fit_linked_counts(page->records, page->explorer.observed, fit, objective, problem)) {
        page->refusal = problem;
        return nullptr;
    }
    std::string text = fit_result_text(fit, objective) + "\n";
    for (const FittedField& field : fit.fields) {
        text += field.name + " = ";
        append_shortest(text, field.value);
        text += '\n';
    }
    return handed_out(*page, text);
}

// The chart's options as the View menu names them, a line each: command,
// label, the view switch's name, 1 when on (tab separated).
EMSCRIPTEN_KEEPALIVE const char* page_chart_options(Page* page) {
    ViewOptions& view = page->explorer.view;
    std::string text;
    for (const MenuItem& item : view_menu_items()) {
        if (item.label == nullptr || !chart_option_command(item.command)) continue;
        std::string label;
        for (const char* c = item.label; *c != '\0'; ++c)
            if (*c != '&') label += *c;
        const char* name = view_switch_name(item.command);
        text += std::to_string(item.command) + '\t' + label + '\t' + name + '\t' +
                (view_item_checked(view, item.command) ? "1" : "0") + '\n';
    }
    return handed_out(*page, text);
}

// Switches a chart option by its command; 1 when the axes are to be fitted
// again (page_fit), the page fitting after every run when fitting is 1.
EMSCRIPTEN_KEEPALIVE int page_switch_chart_option(Page* page, int command, int fitting) {
    ViewOptions& view = page->explorer.view;
    view.fit_after_run = fitting != 0;
    return switch_chart_option(view, page->records.scale, command) ? 1 : 0;
}

// Sets a view switch by its settings name (show_S, log_scale, ...) to 0 or 1,
// as a link gives it; 0 for a name the view has not.
EMSCRIPTEN_KEEPALIVE int page_set_view_switch(Page* page, const char* name, int on) {
    for (const ViewSwitch& entry : view_switches(page->explorer.view)) {
        if (std::string_view(entry.name) != name) continue;
        *entry.value = on != 0;
        return 1;
    }
    return 0;
}

// The compartment (0 S ... 3 R) whose legend line holds the device point of
// the chart last painted, or -1.
EMSCRIPTEN_KEEPALIVE int page_legend_at(Page* page, int x, int y) {
    return page->explorer.legend_compartment_at(x, y);
}

}  // extern "C"
