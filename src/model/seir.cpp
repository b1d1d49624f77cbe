#include "model/seir.h"

#include <cstdio>

#include "model/seir_step.h"
#include "text/format.h"

namespace morbilex {

void seir_rates(const RateConstants& rates, const double y[], double /*t*/, double dydt[],
                int /*n*/) {
    const double S = y[0], E = y[1], I = y[2];
    dydt[0] = ((-rates.beta) * S) * I;
    dydt[1] = (rates.beta * S) * I - rates.sigma * E;
    dydt[2] = rates.sigma * E - rates.gamma * I;
    dydt[3] = rates.gamma * I;
}

void rk4_step(double& t, double y[], double h, int n, RateFunction f, const RateConstants& rates) {
    if (n > RK4_MAX_EQUATIONS) {
        char message[64];
        format_text(message, sizeof message, "m exceed %d !\n", {RK4_MAX_EQUATIONS});
        std::fputs(message, stdout);
        return;
    }
    if (f == seir_rates && n == RK4_MAX_EQUATIONS) {
        // The same operations in the same order, without the calls and loops.
        seir_straight_step(t, y, rates.beta, rates.gamma, rates.sigma, seir_step_factors(h));
        return;
    }
    double y0[RK4_MAX_EQUATIONS];
    double ytmp[RK4_MAX_EQUATIONS];
    double k[RK4_MAX_EQUATIONS];
    double tl = t;
    for (int j = 0; j < n; ++j) {
        y0[j] = y[j];
        ytmp[j] = y[j];
    }
    for (int s = 0; s < 4; ++s) {
        tl = RK4_TIME_INCREMENTS[s] * h + tl;
        f(rates, ytmp, tl, k, n);
        for (int j = 0; j < n; ++j) {
            y[j] = (RK4_WEIGHTS[s] * h) * k[j] + y[j];
            ytmp[j] = (RK4_STAGE_FACTORS[s] * h) * k[j] + y0[j];
        }
    }
    t = tl;
}

}  // namespace morbilex
