// Sixteen lanes with AVX2 (four vectors of four); built with -mavx2 and
// called only where the processor has it.
#if defined(MORBILEX_LANE_VARIANTS)
#include "analysis/lane_kernel_body.h"

#if !defined(__AVX2__)
#error "this file is built with -mavx2"
#endif
namespace morbilex {

using Avx2Lanes = double __attribute__((vector_size(32)));

void integrate_avx2_lanes(const LaneBatch& batch, LaneFigures& figures,
                          const LaneObserver* observer) {
    integrate_lanes<Avx2Lanes, 4>(batch, figures, observer);
}

}  // namespace morbilex
#endif
