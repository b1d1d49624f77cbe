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
#include "explore/explorer.h"
#include "explore/explorer_view.h"
#include "model/simulation.h"
#include "shell/scenario_document.h"
#include "trace/traced_run.h"
#include "web_surface.h"

namespace morbilex::web {
struct Page {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    Records records;
    SeriesColours colours;
    Explorer explorer;  // figures, comparison run, read-out
    std::string refusal;
    std::string text;   // the last text handed out: trace, CSV or chart commands' text
    std::string input;  // a scenario file's bytes, copied in by the page
    std::unique_ptr<WebSurface> surface;
    double readout[6] = {};
};

namespace {

const char* handed_out(Page& page, std::string text) {
    page.text = std::move(text);
    return page.text.c_str();
}

}  // namespace
}  // namespace morbilex::web

using morbilex::web::handed_out;
using morbilex::web::Page;
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
}

// Types a field by its name (R_0, T_max, Redct1, xmin, ...); 0 when no
// dialog has a field of that name.
EMSCRIPTEN_KEEPALIVE int page_set_field(Page* page, const char* name, const char* text) {
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

// The scenario as the dialogs take it, then its run (table only) and figures.
// 0 when it ran; otherwise page_refusal says why.
EMSCRIPTEN_KEEPALIVE int page_run(Page* page, int mode) {
    Records& records = page->records;
    reset_scenario_fields(records);
    records.scale = AxisScale{};
    SetupRefusal refused;
    if (!apply_typed_fields(records, page->typed, refused)) {
        const ScenarioRefusal refusal = refused_field(refused, page->typed, 0);
        page->refusal = std::string(refusal.field != nullptr ? refusal.field->name : "a field") +
                        ": " + refusal_words(refusal.reason);
        records.mode = MODE_NOTHING_CALCULATED;
        return 1;
    }
    page->mode = mode;
    records.mode = mode;
    const int result = run_simulation_to_stream(records, mode, nullptr);
    if (result != RUN_COMPLETED && result != RUN_NOT_FINITE) {
        page->refusal = "the values cannot be integrated";
        records.mode = MODE_NOTHING_CALCULATED;
        return 2;
    }
    page->explorer.read_out_step = -1;
    page->explorer.sync(records);
    return 0;
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
EMSCRIPTEN_KEEPALIVE int page_commands_size(Page* page) {
    return static_cast<int>(page->surface->commands().size());
}
EMSCRIPTEN_KEEPALIVE const char* page_commands_text(Page* page) {
    return page->surface->text().data();
}

// A figure of the run (which 0) or of the run without intervention (1), by
// its summary column; NaN when empty or not there.
EMSCRIPTEN_KEEPALIVE double page_figure(Page* page, int which, const char* column) {
    const int index = summary_column_index(column);
    const ViewFigures& figures = page->explorer.figures();
    if (index < 0 || !figures.available) return NAN;
    if (which == 0) return figures.run[index].as_number();
    return (figures.has_baseline ? figures.baseline : figures.run)[index].as_number();
}

// The read-out at a device x of the chart painted width x height: the step
// under it is shown by the next paint. Returns day, S, E, I, R of that step
// and 1 when there is one (else 0).
EMSCRIPTEN_KEEPALIVE const double* page_readout(Page* page, int x, int width, int height) {
    double* out = page->readout;
    std::fill(out, out + 6, 0.0);
    const Records& records = page->records;
    // The text size of the chart last painted places its frame.
    const double cell =
        page->surface ? page->surface->reading_cell_height() : Surface::READING_CELL_AT_96_DPI;
    const int step = records.mode < 0 ? -1 : step_at_device_x(records, x, width, height, cell);
    page->explorer.read_out_step = step;
    if (step < 0) return out;
    out[0] = step * records.model.dt;
    for (int k = 0; k < COMPARTMENT_COUNT; ++k)
        out[1 + k] = records.results[step][k];
    out[5] = 1.0;
    return out;
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

// The run's figures as morbilex-batch --summary=FILE.csv writes them.
EMSCRIPTEN_KEEPALIVE const char* page_figures_csv(Page* page) {
    std::string text = summary_csv_header() + "\n";
    append_summary_csv(text, page->explorer.figures().run);
    return handed_out(*page, text + "\n");
}

// The last run's scenario as the desktop's Save Scenario As writes it: its
// fields, the scale it was drawn with and its mode. Empty when the last run
// was refused: there is no scenario the dialogs would take.
EMSCRIPTEN_KEEPALIVE const char* page_scenario_document(Page* page) {
    if (page->records.mode < 0) return handed_out(*page, {});
    return handed_out(*page, write_scenario_document(page->records, false));
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
    const bool read = read_scenario_document(page->input, *records, mode, error);
    page->input.clear();
    page->input.shrink_to_fit();
    if (!read) {
        page->refusal = error;
        return nullptr;
    }
    records->mode = mode;
    return handed_out(*page, write_scenario_document(*records, false));
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

}  // extern "C"
