// One Runge-Kutta step of the SEIR equations written straight through: the
// four stages of rk4_step with seir_rates inlined, in exactly their operations
// and order. Real is double for one run, or a vector of doubles when a sweep
// integrates several scenarios side by side; every lane then computes what
// rk4_step computes for its scenario, bit for bit.
#pragma once

#include <bit>
#include <cstdint>

// The stage loops unrolled and the step inlined: the compiler then keeps the
// state in registers and sees the independent work of several lanes.
#if defined(__GNUC__)
#define MORBILEX_STEP_INLINE [[gnu::always_inline]] inline
#define MORBILEX_UNROLL _Pragma("GCC unroll 4")
#else
#define MORBILEX_STEP_INLINE inline
#define MORBILEX_UNROLL
#endif

// A standard library without std::bit_cast (the web build's) has the builtin
// behind it.
#if defined(__cpp_lib_bit_cast)
#define MORBILEX_BIT_CAST(To, value) std::bit_cast<To>(value)
#else
#define MORBILEX_BIT_CAST(To, value) __builtin_bit_cast(To, value)
#endif

namespace morbilex {

// The coefficients of the method. The weights are the decimal-rounded values
// the method has always used: 1/3 is the nearest double, 1/6 is
// 0.1666666666666667 (two units above the nearest).
inline constexpr double RK4_TIME_INCREMENTS[4] = {0.0, 0.5, 0.0, 0.5};
inline constexpr double RK4_ONE_THIRD =
    MORBILEX_BIT_CAST(double, std::uint64_t{0x3FD5555555555555});
inline constexpr double RK4_ONE_SIXTH =
    MORBILEX_BIT_CAST(double, std::uint64_t{0x3FC5555555555557});
inline constexpr double RK4_WEIGHTS[4] = {RK4_ONE_SIXTH, RK4_ONE_THIRD, RK4_ONE_THIRD,
                                          RK4_ONE_SIXTH};
inline constexpr double RK4_STAGE_FACTORS[4] = {0.5, 0.5, 1.0, 0.0};

// The coefficients times the step h, as rk4_step forms them. The last stage
// factor builds a trial state that no stage reads, so it has no entry.
template <typename Real>
struct SeirStepFactors {
    Real time[4];
    Real weight[4];
    Real stage[3];
};

inline SeirStepFactors<double> seir_step_factors(double h) {
    SeirStepFactors<double> factors;
    for (int s = 0; s < 4; ++s) {
        factors.time[s] = RK4_TIME_INCREMENTS[s] * h;
        factors.weight[s] = RK4_WEIGHTS[s] * h;
        if (s < 3) factors.stage[s] = RK4_STAGE_FACTORS[s] * h;
    }
    return factors;
}

// How a step is written. AS_WRITTEN is rk4_step's arithmetic to the letter.
// FOR_LANES takes two liberties that change no value a sweep lane can hold
// (NaN's sign aside): the infection term is subtracted instead of its
// negative added (y + (-p) is y - p), and the time skips the increments that
// are 0 (t is never -0 and dt is finite, so 0 * dt + t is t).
enum class StepForm { AS_WRITTEN, FOR_LANES };

// Advances t and y = (S, E, I, R) by one step with transmission beta.
template <StepForm Form = StepForm::AS_WRITTEN, typename Real>
MORBILEX_STEP_INLINE void seir_straight_step(Real& t, Real y[4], Real beta, Real gamma, Real sigma,
                                             const SeirStepFactors<Real>& f) {
    constexpr bool AS_WRITTEN = Form == StepForm::AS_WRITTEN;
    const Real minus_beta = -beta;
    const Real y0[4] = {y[0], y[1], y[2], y[3]};
    // The trial state of the next stage; R is never read by the rates.
    Real S = y[0], E = y[1], I = y[2];
    MORBILEX_UNROLL
    for (int s = 0; s < 4; ++s) {
        if (AS_WRITTEN || RK4_TIME_INCREMENTS[s] != 0.0) t = f.time[s] + t;
        const Real onset = sigma * E;
        const Real recovery = gamma * I;
        const Real infection = (beta * S) * I;
        const Real k[4] = {AS_WRITTEN ? (minus_beta * S) * I : infection, infection - onset,
                           onset - recovery, recovery};
        if (AS_WRITTEN) {
            y[0] = f.weight[s] * k[0] + y[0];
        } else {
            y[0] = y[0] - f.weight[s] * k[0];
        }
        MORBILEX_UNROLL
        for (int j = 1; j < 4; ++j)
            y[j] = f.weight[s] * k[j] + y[j];
        if (s < 3) {
            S = AS_WRITTEN ? f.stage[s] * k[0] + y0[0] : y0[0] - f.stage[s] * k[0];
            E = f.stage[s] * k[1] + y0[1];
            I = f.stage[s] * k[2] + y0[2];
        }
    }
}

}  // namespace morbilex
