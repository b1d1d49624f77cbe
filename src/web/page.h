// The page's state behind every entry point: the scenario typed into the
// dialogs' fields, its run and what the page was last handed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/scenario_setup.h"
#include "chart/chart.h"
#include "explore/explorer.h"
#include "web_surface.h"

namespace morbilex::web {

struct Page {
    std::vector<TypedField> typed;
    // The care layer's fields as typed (and "care" = 0 or 1), in order.
    std::vector<std::pair<std::string, std::string>> care_typed;
    std::string capacity_typed;         // the capacity's field as typed (empty: off)
    std::string capacity_series_typed;  // its series' name as typed (empty: infectious)
    InterventionMode mode = MODE_NO_INTERVENTION;
    Records records;
    SeriesColours colours;
    Explorer explorer;  // figures, comparison run, read-out
    std::string refusal;
    std::string text;   // the last text handed out: trace, CSV or chart commands' text
    std::string input;  // a scenario file's bytes, copied in by the page
    std::unique_ptr<WebSurface> surface;
    std::unique_ptr<WebSurface> front_surface;    // the plan search's front
    std::unique_ptr<WebSurface> tornado_surface;  // the ranges' tornado
    double readout[6] = {};
    // The observed counts' link lines as the page sets them (page_counts.cpp).
    std::vector<std::pair<std::string, std::string>> counts_link;
};

// Keeps the text as the one last handed out; returns its characters.
const char* handed_out(Page& page, std::string text);

// The name the page types the capacity's series under, as scenario files
// and links name it.
inline constexpr std::string_view CAPACITY_SERIES_NAME = "capacity_series";
// The capacity's series typed into the records (empty: the infectious);
// false with the reason when the name is not a series'.
bool apply_capacity_series(std::string_view typed, Records& records, std::string& why);

}  // namespace morbilex::web
