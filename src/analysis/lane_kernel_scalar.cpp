// Scalar lanes: four scenarios interleaved, for any compiler and processor.
#include "analysis/lane_kernel_body.h"

namespace morbilex {

void integrate_scalar_lanes(const LaneBatch& batch, LaneFigures& figures,
                            const LaneObserver* observer) {
    integrate_lanes<double, 4>(batch, figures, observer);
}

}  // namespace morbilex
