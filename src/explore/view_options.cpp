#include "explore/view_options.h"

namespace morbilex {

std::array<ViewSwitch, VIEW_SWITCH_COUNT> view_switches(ViewOptions& view) {
    return {{
        {"classic_view", &view.classic},
        {"compare", &view.compare},
        {"fit_after_run", &view.fit_after_run},
    }};
}

}  // namespace morbilex
