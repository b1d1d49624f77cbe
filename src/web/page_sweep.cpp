// The page's sweeps. In the workers: a shard of the scenarios run by the
// core's sweep runner, each scenario's summary summed into the picture's
// cell it falls in (a cell per device pixel at most), and the sums of the
// cells a stretch of scenarios touched posted to the page; or the rows as
// morbilex-batch writes them, posted in pieces. On the page: the picture
// drawn through the Surface from the cells' means, and its read-out.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/run_summary.h"
#include "analysis/scenario_setup.h"
#include "analysis/sweep_grid.h"
#include "analysis/sweep_runner.h"
#include "picture/sweep_view.h"
#include "web_surface.h"

namespace morbilex::web {

// The cells' sums of every summary column (so that another column shows
// without running again) stay within this many values.
constexpr long long LARGEST_CELL_VALUES = 1LL << 21;
// A worker posts the cells it touched after at least this many scenarios,
// and its rows in pieces of at least this many bytes.
constexpr long long SCENARIOS_PER_POST = 4096;
constexpr std::size_t ROW_BYTES_PER_POST = 1 << 20;
constexpr int COLUMNS = static_cast<int>(std::size(SUMMARY_COLUMNS));

struct SweepPage {
    std::vector<TypedField> typed;
    SweepPlan plan;
    std::string refusal;
    std::string text;   // the last text handed out
    std::string input;  // a field's text, copied in by the page
    // The picture's cells (values: the shown column's mean in each) and the
    // picture last painted, for its read-out.
    SweepPicture picture;
    std::unique_ptr<WebSurface> surface;
};

namespace {

// clang-format off
EM_JS(void, post_sweep_cells, (const int* cells, int count, const double* sums,
                               const double* counts, int columns, double done, double total), {
    const at = sums >> 3, counted = counts >> 3;
    const message = {kind: "cells", cells: HEAP32.slice(cells >> 2, (cells >> 2) + count),
                     sums: HEAPF64.slice(at, at + count * columns),
                     counts: HEAPF64.slice(counted, counted + count * columns),
                     done: done, total: total};
    postMessage(message, [message.cells.buffer, message.sums.buffer, message.counts.buffer]);
});
EM_JS(void, post_sweep_rows, (const char* rows, int length, double done, double total), {
    const bytes = HEAPU8.slice(rows, rows + length);
    postMessage({kind: "rows", bytes: bytes, done: done, total: total}, [bytes.buffer]);
});
// clang-format on

// The sums of the cells that the scenarios since the last post touched.
class CellSums {
public:
    explicit CellSums(const SweepPage& page) : page_(page) {}

    void take(const FinishedScenario& finished) {
        const long long cell = page_.picture.cell_of(finished.run_id);
        auto [slot, added] = slots_.try_emplace(cell, cells_.size());
        if (added) {
            cells_.push_back(static_cast<int>(cell));
            sums_.resize(sums_.size() + COLUMNS, 0.0);
            counts_.resize(counts_.size() + COLUMNS, 0.0);
        }
        const std::size_t at = slot->second * COLUMNS;
        for (int c = 0; c < COLUMNS; ++c) {
            // An overflowed run's figures stop where it did: none of its values count.
            const double value = finished.finite ? finished.row[c].as_number() : NAN;
            if (!std::isfinite(value)) continue;
            sums_[at + c] += value;
            counts_[at + c] += 1.0;
        }
        ++scenarios_;
    }

    void post(long long done, long long total, bool last) {
        if (!last && scenarios_ < SCENARIOS_PER_POST) return;
        post_sweep_cells(cells_.data(), static_cast<int>(cells_.size()), sums_.data(),
                         counts_.data(), COLUMNS, static_cast<double>(done),
                         static_cast<double>(total));
        slots_.clear();
        cells_.clear();
        sums_.clear();
        counts_.clear();
        scenarios_ = 0;
    }

private:
    const SweepPage& page_;
    std::unordered_map<long long, std::size_t> slots_;
    std::vector<int> cells_;
    std::vector<double> sums_, counts_;
    long long scenarios_ = 0;
};

// The rows, or the cells' sums, go to the page as the runner hands them over.
class WorkerSink : public RowSink {
public:
    explicit WorkerSink(CellSums* cells) : cells_(cells) {}
    bool write(std::string_view rows) override {
        rows_.append(rows);
        return true;
    }
    void progress(long long done, long long total) override {
        done_ = done;
        total_ = total;
        if (cells_ != nullptr) cells_->post(done, total, false);
        if (rows_.size() >= ROW_BYTES_PER_POST) post_rows();
    }
    void finish() {
        if (cells_ != nullptr) cells_->post(done_, total_, true);
        if (cells_ == nullptr) post_rows();
    }

private:
    void post_rows() {
        post_sweep_rows(rows_.data(), static_cast<int>(rows_.size()), static_cast<double>(done_),
                        static_cast<double>(total_));
        rows_.clear();
    }
    CellSums* cells_;
    std::string rows_;
    long long done_ = 0, total_ = 0;
};

const char* handed_out(SweepPage& page, std::string text) {
    page.text = std::move(text);
    return page.text.c_str();
}

}  // namespace
}  // namespace morbilex::web

using morbilex::web::SweepPage;
using namespace morbilex;
using namespace morbilex::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE SweepPage* page_sweep_create() {
    return new SweepPage;
}
EMSCRIPTEN_KEEPALIVE void page_sweep_free(SweepPage* page) {
    delete page;
}

// Room for a field's text of size bytes, which the page copies there before
// page_sweep_set_field (a pasted text can be larger than the stack that
// passing it as a string would take).
EMSCRIPTEN_KEEPALIVE char* page_sweep_input_buffer(SweepPage* page, int size) {
    page->input.assign(static_cast<std::size_t>(size < 0 ? 0 : size), '\0');
    return page->input.data();
}

// Types a field of the sweep's base scenario, its text in
// page_sweep_input_buffer; 0 when no dialog has it or the text is longer than
// a field holds (page_sweep_refusal says which).
EMSCRIPTEN_KEEPALIVE int page_sweep_set_field(SweepPage* page, const char* name) {
    TypedField field;
    if (!find_editable_field(name, field)) return 0;
    if (!fits_field(page->input)) {
        page->refusal = too_long_field_text(name);
        return 0;
    }
    field.text = page->input;
    page->typed.push_back(std::move(field));
    return 1;
}

// A sweep over the typed fields and mode (morbilex-batch's other options),
// then its axes as --sweep=TEXT takes them; 0 when refused, with
// page_sweep_refusal saying why.
EMSCRIPTEN_KEEPALIVE void page_sweep_begin(SweepPage* page, int mode) {
    page->plan = SweepPlan{};
    page->plan.base = page->typed;
    page->plan.base_mode = mode;
}
EMSCRIPTEN_KEEPALIVE int page_sweep_axis(SweepPage* page, const char* text) {
    SweepAxis axis;
    if (!parse_sweep_axis(text, axis, page->refusal)) return 0;
    return add_sweep_axis(page->plan.grid, std::move(axis), page->refusal) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* page_sweep_refusal(SweepPage* page) {
    return page->refusal.c_str();
}
EMSCRIPTEN_KEEPALIVE double page_sweep_size(SweepPage* page) {
    return static_cast<double>(page->plan.grid.size());
}
EMSCRIPTEN_KEEPALIVE const char* page_sweep_header(SweepPage* page) {
    return handed_out(*page, sweep_csv_header(page->plan.grid));
}
EMSCRIPTEN_KEEPALIVE int page_sweep_text_size(SweepPage* page) {
    return static_cast<int>(page->text.size());
}
EMSCRIPTEN_KEEPALIVE int page_sweep_columns() {
    return COLUMNS;
}

// The picture's cells for a canvas of width x height device pixels and text
// of font pixels: no more across and up than the plot has pixels, and their
// sums of every column within bounds. Returns how many cells there are.
EMSCRIPTEN_KEEPALIVE int page_sweep_cells(SweepPage* page, int width, int height, double font) {
    return static_cast<int>(
        page->picture.lay_out(page->plan.grid, width, height, font, LARGEST_CELL_VALUES / COLUMNS));
}

// Where the page puts each cell's value of the shown column before painting.
EMSCRIPTEN_KEEPALIVE double* page_sweep_values(SweepPage* page) {
    return page->picture.values.data();
}

// Runs shard index of count of the sweep: with_rows, its CSV rows are posted
// to the page in pieces; else the sums of the picture's cells. 0 when a
// scenario was refused (page_sweep_refusal).
EMSCRIPTEN_KEEPALIVE int page_sweep_run(SweepPage* page, int index, int count, int with_rows) {
    SweepSettings settings;
    settings.shard = Shard{index, count};
    settings.rows = with_rows != 0;
    CellSums cells(*page);
    if (!with_rows)
        settings.on_scenario = [&cells](const FinishedScenario& finished) { cells.take(finished); };
    WorkerSink sink(with_rows ? nullptr : &cells);
    const SweepOutcome outcome = run_sweep(page->plan, settings, sink);
    if (outcome.refused) {
        page->refusal = refused_run_text(*outcome.refused);
        return 0;
    }
    sink.finish();
    return 1;
}

// The picture of the values for width x height device pixels: the commands'
// count is page_sweep_commands_size, their text page_sweep_commands_text.
EMSCRIPTEN_KEEPALIVE const std::int32_t* page_sweep_paint(SweepPage* page, int width, int height,
                                                          double font, const char* metric) {
    page->surface = std::make_unique<WebSurface>(font);
    page->picture.paint(*page->surface, width, height, metric);
    return page->surface->commands().data();
}
EMSCRIPTEN_KEEPALIVE int page_sweep_commands_size(SweepPage* page) {
    return static_cast<int>(page->surface->commands().size());
}
EMSCRIPTEN_KEEPALIVE const char* page_sweep_commands_text(SweepPage* page) {
    return page->surface->text().data();
}

// What the picture last painted shows at a device point: the cell's axis
// values and value, or empty.
EMSCRIPTEN_KEEPALIVE const char* page_sweep_hover(SweepPage* page, double x, double y) {
    if (!page->surface) return handed_out(*page, {});
    return handed_out(*page, page->picture.read_out(x, y));
}

// The scenario under a device point of the picture last painted, as lines
// "NAME = TEXT" (its mode, then its fields as the sweep typed them, the
// axes' last), for the page to load; empty when no scenario is there.
EMSCRIPTEN_KEEPALIVE const char* page_sweep_scenario_at(SweepPage* page, double x, double y) {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    if (!page->surface ||
        !sweep_scenario_fields(page->plan, page->picture.run_id_at(x, y), typed, mode))
        return handed_out(*page, {});
    std::string text = "mode = " + std::to_string(static_cast<int>(mode)) + "\n";
    for (const TypedField& field : typed)
        text += std::string(field.field->name) + " = " + field.text + "\n";
    return handed_out(*page, std::move(text));
}

}  // extern "C"
