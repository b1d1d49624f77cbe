// The page's plans against a limit: the capacity typed beside the fields,
// the notes beside the figures with T_max extended until the epidemic ends,
// and the search for a plan under the capacity. The search runs in a worker
// (plan-worker.js) on a page of its own, which hands its finding over as
// bytes; the page's own module takes them and shows the best plan's lines,
// paints the front and loads the plans of its points.
#include <emscripten.h>

#include <cstring>
#include <type_traits>

#include "analysis/capacity.h"
#include "explore/figures.h"
#include "explore/plan_finder.h"
#include "page.h"
#include "shell/scenario_document.h"
#include "text/read.h"
#include "text/shortest.h"

namespace morbilex::web {

bool apply_capacity_series(std::string_view typed, Records& records, std::string& why) {
    records.capacity.series = CapacitySeries::Infectious;
    if (typed.empty() || capacity_series_of_name(typed, records.capacity.series)) return true;
    std::string names;
    for (int k = 0; *capacity_series_name(static_cast<CapacitySeries>(k)) != '\0'; ++k)
        names += std::string(names.empty() ? "" : ", ") +
                 capacity_series_name(static_cast<CapacitySeries>(k));
    why = std::string(CAPACITY_SERIES_NAME) + "=" + std::string(typed) +
          " refused: the series is one of " + names;
    return false;
}

namespace {

// A finding goes from the worker's module to the page's as its values'
// bytes: the same build on both sides, so the same layout.
static_assert(std::is_trivially_copyable_v<PlanOutcome>);
static_assert(std::is_trivially_copyable_v<CapacitySetting>);

template <class T>
void put(std::string& bytes, const T& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}
template <class T>
bool take(std::string_view& bytes, T& value) {
    if (bytes.size() < sizeof value) return false;
    std::memcpy(&value, bytes.data(), sizeof value);
    bytes.remove_prefix(sizeof value);
    return true;
}

std::string finding_bytes(const PlanFinding& finding) {
    std::string bytes;
    put(bytes, finding.kind);
    put(bytes, finding.capacity);
    put(bytes, finding.result.met);
    put(bytes, finding.result.runs);
    put(bytes, finding.result.best);
    put(bytes, finding.result.front.size());
    for (const PlanOutcome& outcome : finding.result.front)
        put(bytes, outcome);
    return bytes;
}

bool read_finding(std::string_view bytes, PlanFinding& finding) {
    std::size_t count = 0;
    if (!take(bytes, finding.kind) || !take(bytes, finding.capacity) ||
        !take(bytes, finding.result.met) || !take(bytes, finding.result.runs) ||
        !take(bytes, finding.result.best) || !take(bytes, count) ||
        bytes.size() != count * sizeof(PlanOutcome))
        return false;
    finding.result.front.resize(count);
    for (PlanOutcome& outcome : finding.result.front)
        take(bytes, outcome);
    return count > 0;
}

std::string joined_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

bool has_finding(const Page& page) {
    return page.explorer.has_plan_finding && !page.explorer.plan_finding.result.front.empty();
}

}  // namespace
}  // namespace morbilex::web

using morbilex::web::handed_out;
using morbilex::web::Page;
using namespace morbilex;

extern "C" {

// The series a capacity may be held against, a line each: name, tab, label.
EMSCRIPTEN_KEEPALIVE const char* page_capacity_series(Page* page) {
    std::string text;
    for (int k = 0;; ++k) {
        const auto series = static_cast<CapacitySeries>(k);
        if (*capacity_series_name(series) == '\0') break;
        text +=
            std::string(capacity_series_name(series)) + '\t' + capacity_series_label(series) + '\n';
    }
    return handed_out(*page, text);
}

// The notes beside the last run's figures, a line each (still running at
// T_max, Off >= On, over the capacity); empty before a run.
EMSCRIPTEN_KEEPALIVE const char* page_notes(Page* page) {
    if (page->records.mode < 0) return handed_out(*page, {});
    return handed_out(*page, web::joined_lines(figure_notes(page->explorer.figures())));
}

// 1 when the last run is still running at its T_max.
EMSCRIPTEN_KEEPALIVE int page_still_running(Page* page) {
    const ViewFigures& figures = page->explorer.figures();
    return page->records.mode >= 0 && figures.available && figures.still_running ? 1 : 0;
}

// T_max extended until the last run's epidemic ends: the T_max it takes
// (shortest), a new line, then what was done in words; empty before a run.
EMSCRIPTEN_KEEPALIVE const char* page_extend(Page* page) {
    if (page->records.mode < 0) return handed_out(*page, {});
    const Extension extension = extend_until_ended(page->records);
    std::string text;
    append_shortest(text, extension.T_max);
    return handed_out(*page, text + '\n' + extension_text(extension));
}

// Searches plans under the capacity for the last run's scenario (one-time,
// or intermittent in mode 2); 1 when found, 0 with page_refusal saying why.
EMSCRIPTEN_KEEPALIVE int page_find_plan(Page* page) {
    PlanFinding finding;
    if (page->records.mode < 0) {
        page->refusal = "The scenario does not run: " + page->refusal;
        return 0;
    }
    if (!find_plan_for(page->records, finding, page->refusal)) return 0;
    page->explorer.plan_finding = std::move(finding);
    page->explorer.has_plan_finding = true;
    return 1;
}

// The finding as bytes for another module of the same build: page_text_size
// of them at the pointer returned.
EMSCRIPTEN_KEEPALIVE const char* page_plan_bytes(Page* page) {
    if (!web::has_finding(*page)) return handed_out(*page, {});
    return handed_out(*page, web::finding_bytes(page->explorer.plan_finding));
}

// Takes the finding whose bytes were copied into page_input_buffer; 0 when
// they are not one.
EMSCRIPTEN_KEEPALIVE int page_plan_adopt(Page* page) {
    PlanFinding finding;
    const bool read = web::read_finding(page->input, finding);
    page->input.clear();
    if (!read) return 0;
    page->explorer.plan_finding = std::move(finding);
    page->explorer.has_plan_finding = true;
    return 1;
}

// The finding told in lines: the best plan (or that none meets the limit,
// and the closest), its days, switches and peak.
EMSCRIPTEN_KEEPALIVE const char* page_plan_lines(Page* page) {
    if (!web::has_finding(*page)) return handed_out(*page, {});
    return handed_out(*page, web::joined_lines(plan_finding_lines(page->explorer.plan_finding)));
}

// The front's plans, best first, a line each: the plan in words, its days
// under reduction and its peak (tab separated).
EMSCRIPTEN_KEEPALIVE const char* page_plan_front(Page* page) {
    std::string text;
    if (!web::has_finding(*page)) return handed_out(*page, text);
    const PlanFinding& finding = page->explorer.plan_finding;
    for (const PlanOutcome& outcome : finding.result.front) {
        text += plan_text(finding.kind, outcome.plan) + '\t';
        append_shortest(text, outcome.days_reduced);
        text += '\t';
        append_shortest(text, outcome.peak);
        text += '\n';
    }
    return handed_out(*page, text);
}

// The front as the core paints it for a canvas of width x height device
// pixels: page_plan_commands_size commands, their text page_plan_commands_text.
EMSCRIPTEN_KEEPALIVE const std::int32_t* page_plan_paint(Page* page, int width, int height,
                                                         double default_font_pixels) {
    page->front_surface = std::make_unique<web::WebSurface>(default_font_pixels);
    if (web::has_finding(*page))
        paint_plan_front(*page->front_surface, page->explorer.plan_finding, width, height);
    return page->front_surface->commands().data();
}
EMSCRIPTEN_KEEPALIVE int page_plan_commands_size(Page* page) {
    return static_cast<int>(page->front_surface->commands().size());
}
EMSCRIPTEN_KEEPALIVE const char* page_plan_commands_text(Page* page) {
    return page->front_surface->text().data();
}

// Marks plan `index` of the front (chosen in the page's list) on it.
EMSCRIPTEN_KEEPALIVE void page_plan_mark(Page* page, int index) {
    page->explorer.plan_finding.marked = index;
}

// The plan of the front nearest the device point of the front painted
// width x height; -1 when none is near.
EMSCRIPTEN_KEEPALIVE int page_plan_point_at(Page* page, int width, int height, int x, int y) {
    if (!web::has_finding(*page)) return -1;
    return front_point_at(page->explorer.plan_finding, width, height, x, y);
}

// Plan `index` of the front (0: the best) put into the last run's scenario:
// the scenario as page_open_scenario hands it out (its fields and mode as
// "name = value" lines, page_text_size bytes), which the page types in and
// runs. Empty when there is no such plan.
EMSCRIPTEN_KEEPALIVE const char* page_load_plan(Page* page, int index) {
    const PlanFinding& finding = page->explorer.plan_finding;
    if (!web::has_finding(*page) || page->records.mode < 0 || index < 0 ||
        index >= static_cast<int>(finding.result.front.size()))
        return handed_out(*page, {});
    load_plan(page->records, finding.kind, finding.result.front[index]);
    page->explorer.plan_finding.marked = index;
    return handed_out(*page, write_scenario_document(page->records));
}

}  // extern "C"
