// Thirty-two lanes with AVX-512 (four vectors of eight); built with
// -mavx512f and called only where the processor has it.
#if defined(MORBILEX_LANE_VARIANTS)
#include "analysis/lane_kernel_body.h"

#if !defined(__AVX512F__)
#error "this file is built with -mavx512f"
#endif
namespace morbilex {

using Avx512Lanes = double __attribute__((vector_size(64)));

void integrate_avx512_lanes(const LaneBatch& batch, LaneFigures& figures,
                            const LaneObserver* observer) {
    integrate_lanes<Avx512Lanes, 4>(batch, figures, observer);
}

}  // namespace morbilex
#endif
