#include "explore/view_options.h"

namespace morbilex {

bool compartment_shown(const ViewOptions& view, int k) {
    if (k < 0 || k >= COMPARTMENT_COUNT) return false;
    return view.infectious_only ? k == 2 : view.shown[static_cast<std::size_t>(k)];
}

std::array<ViewSwitch, VIEW_SWITCH_COUNT> view_switches(ViewOptions& view) {
    return {{
        {"classic_view", &view.classic},
        {"compare", &view.compare},
        {"fit_after_run", &view.fit_after_run},
        {"show_S", &view.shown[0]},
        {"show_E", &view.shown[1]},
        {"show_I", &view.shown[2]},
        {"show_R", &view.shown[3]},
        {"infectious_only", &view.infectious_only},
        {"log_scale", &view.log_scale},
        {"effective_R", &view.effective_r},
        {"colour_blind_palette", &view.colour_blind},
        {"care_curves", &view.care_curves},
    }};
}

}  // namespace morbilex
