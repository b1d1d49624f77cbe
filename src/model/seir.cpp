#include "model/seir.h"

#include <bit>
#include <cstdint>
#include <cstdio>

#include "trace/number_text.h"

namespace morbilex {
namespace {

constexpr double TIME_INCREMENTS[4] = {0.0, 0.5, 0.0, 0.5};
// The weights are the decimal-rounded values the method has always used:
// 1/3 is the nearest double, 1/6 is 0.1666666666666667 (two units above).
constexpr double ONE_THIRD = std::bit_cast<double>(std::uint64_t{0x3FD5555555555555});
constexpr double ONE_SIXTH = std::bit_cast<double>(std::uint64_t{0x3FC5555555555557});
constexpr double WEIGHTS[4] = {ONE_SIXTH, ONE_THIRD, ONE_THIRD, ONE_SIXTH};
constexpr double STAGE_FACTORS[4] = {0.5, 0.5, 1.0, 0.0};

}  // namespace

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
    double y0[RK4_MAX_EQUATIONS];
    double ytmp[RK4_MAX_EQUATIONS];
    double k[RK4_MAX_EQUATIONS];
    double tl = t;
    for (int j = 0; j < n; ++j) {
        y0[j] = y[j];
        ytmp[j] = y[j];
    }
    for (int s = 0; s < 4; ++s) {
        tl = TIME_INCREMENTS[s] * h + tl;
        f(rates, ytmp, tl, k, n);
        for (int j = 0; j < n; ++j) {
            y[j] = (WEIGHTS[s] * h) * k[j] + y[j];
            ytmp[j] = (STAGE_FACTORS[s] * h) * k[j] + y0[j];
        }
    }
    t = tl;
}

}  // namespace morbilex
