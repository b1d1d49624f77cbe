// Three view switches over plain booleans, named as the program's view names
// its own, for the documents' tests below the view's room.
#pragma once

#include <array>

#include "shell/scenario_document.h"

namespace morbilex::testing {

struct TestView {
    bool classic = false;
    bool compare = true;
    bool fit_after_run = true;
    std::array<ViewSwitch, 3> switches() {
        return {
            {{"classic_view", &classic}, {"compare", &compare}, {"fit_after_run", &fit_after_run}}};
    }
    int bits() const { return classic + 2 * compare + 4 * fit_after_run; }
};

}  // namespace morbilex::testing
