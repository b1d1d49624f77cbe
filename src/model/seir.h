// The SEIR right-hand side and the classical fourth-order Runge-Kutta step.
#pragma once

#include "model/records.h"

namespace morbilex {

// Largest number of equations rk4_step handles.
inline constexpr int RK4_MAX_EQUATIONS = 4;

using RateFunction = void (*)(const RateConstants& rates, const double y[], double t, double dydt[],
                              int n);

// dS, dE, dI, dR from beta, gamma and sigma of the rate constants.
void seir_rates(const RateConstants& rates, const double y[], double t, double dydt[], int n);

// Advances t and y[0..n) by one step h. For n above RK4_MAX_EQUATIONS it prints
// "m exceed 4 !" to standard output and changes nothing.
void rk4_step(double& t, double y[], double h, int n, RateFunction f, const RateConstants& rates);

}  // namespace morbilex
