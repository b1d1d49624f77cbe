#include "chart/ticks.h"

#include <algorithm>
#include <cmath>

namespace morbilex {

double round_tick_step(double range, int count) {
    if (!(range > 0.0) || !std::isfinite(range)) return 0.0;
    const double rough = range / std::max(count, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10.0 * power;
}

}  // namespace morbilex
