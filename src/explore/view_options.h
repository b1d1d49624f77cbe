// How the window presents a run, and the switches of it the remembered
// settings keep.
#pragma once

#include <array>

#include "shell/scenario_document.h"

namespace morbilex {

// The explorer view (the default) adds the figures, the comparison with no
// intervention, the read-out, fitted axes and the sliders; the classic view
// shows the chart, menus and dialogs alone.
struct ViewOptions {
    bool classic = false;
    bool compare = true;        // no-intervention curves and reduction bands
    bool fit_after_run = true;  // axes fitted to every new run
};

// The options as the settings name them ("classic_view", "compare",
// "fit_after_run"), over view.
inline constexpr int VIEW_SWITCH_COUNT = 3;
std::array<ViewSwitch, VIEW_SWITCH_COUNT> view_switches(ViewOptions& view);

}  // namespace morbilex
