// How the window presents a run, and the switches of it the remembered
// settings keep.
#pragma once

#include <array>

#include "model/records.h"
#include "shell/scenario_document.h"

namespace morbilex {

// The explorer view (the default) adds the figures, the comparison with no
// intervention, the read-out, fitted axes and the sliders; the classic view
// shows the chart, menus and dialogs alone. The rest shape the explorer's
// chart: which compartments it shows (infectious_only shows I alone,
// whatever shown holds), persons on a logarithmic axis, the effective
// reproduction number on a right-hand axis, and a palette that readers with
// any colour vision tell apart, E and R dashed.
struct ViewOptions {
    bool classic = false;
    bool compare = true;        // no-intervention curves and reduction bands
    bool fit_after_run = true;  // axes fitted to every new run
    std::array<bool, COMPARTMENT_COUNT> shown = {true, true, true, true};
    bool infectious_only = false;
    bool log_scale = false;
    bool effective_r = false;
    bool colour_blind = false;
    bool care_curves = false;  // the care layer's curves (View menu), when it is on
};

// Whether the chart draws compartment k (0 S, 1 E, 2 I, 3 R).
bool compartment_shown(const ViewOptions& view, int k);

// The options as the settings name them ("classic_view", "compare",
// "fit_after_run", "show_S", ..., "colour_blind_palette", "care_curves"), over view.
inline constexpr int VIEW_SWITCH_COUNT = 12;
std::array<ViewSwitch, VIEW_SWITCH_COUNT> view_switches(ViewOptions& view);

}  // namespace morbilex
