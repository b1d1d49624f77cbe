// Eight lanes in the baseline x86-64 vector unit (four vectors of two).
#if defined(MORBILEX_LANE_VARIANTS)
#include "analysis/lane_kernel_body.h"

namespace morbilex {

using Sse2Lanes = double __attribute__((vector_size(16)));

void integrate_sse2_lanes(const LaneBatch& batch, LaneFigures& figures,
                          const LaneObserver* observer) {
    integrate_lanes<Sse2Lanes, 4>(batch, figures, observer);
}

}  // namespace morbilex
#endif
