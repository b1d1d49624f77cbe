// Eight lanes in WebAssembly's 128-bit vector unit (four vectors of two).
#if defined(MORBILEX_LANE_SIMD128)
#include "analysis/lane_kernel_body.h"

namespace morbilex {

using Simd128Lanes = double __attribute__((vector_size(16)));

void integrate_simd128_lanes(const LaneBatch& batch, LaneFigures& figures,
                             const LaneObserver* observer) {
    integrate_lanes<Simd128Lanes, 4>(batch, figures, observer);
}

}  // namespace morbilex
#endif
