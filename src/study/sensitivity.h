// How much each ranged field moves the figures. The tornado: one figure at
// each field's low and high end with the other fields at their centres,
// widest effect first. Sobol indices: first- and total-order, from Saltelli's
// design (N base points of 2k coordinates, N x (k + 2) runs) with Jansen's
// estimators and bootstrap intervals drawn from a fixed seed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "study/ensemble.h"

namespace morbilex {

struct TornadoBar {
    int range = 0;  // index into the plan's ranges
    double at_low = 0.0, at_high = 0.0;
    double effect() const { return std::abs(at_high - at_low); }
};

struct Tornado {
    int column = 0;  // the summary column
    double central = 0.0;
    std::vector<TornadoBar> bars;  // widest effect first; ties in the ranges' order
};

// false with refused filled in when an end cannot run.
bool compute_tornado(const EnsemblePlan& plan, int column, Tornado& tornado,
                     ScenarioRefusal& refused);

// Run r of a Saltelli design over k fields: base point i = r / (k + 2) with
// slot r % (k + 2): 0 is A_i (the point's first k coordinates), 1 is B_i (the
// next k), 2 + j is A_i with coordinate j taken from B_i.
void saltelli_point(const SampleSequence& sequence, int fields, long long run,
                    std::span<double> point, std::span<double> scratch);

struct IndexEstimate {
    double value = 0.0, low = 0.0, high = 0.0;  // low..high: the 95 % bootstrap interval
};
struct SobolIndices {
    std::vector<IndexEstimate> first, total;  // one per field
    bool defined = true;                      // false when the output does not vary
};

inline constexpr int SOBOL_BOOTSTRAP = 200;
inline constexpr std::uint64_t BOOTSTRAP_SEED = 0x626f6f7473747270ULL;

// The indices of one output, outputs[r] the value of run r of the design.
SobolIndices sobol_indices(std::span<const double> outputs, int fields,
                           int bootstrap = SOBOL_BOOTSTRAP);

// The summary columns the sensitivity reports: the run's figures, numeric.
std::vector<int> sensitivity_columns();

struct Sensitivity {
    std::vector<int> columns;
    std::vector<SobolIndices> indices;  // one per column
};

// Every run of the design with N = plan.samples, blocks shared out by runner.
bool compute_sensitivity(const EnsemblePlan& plan, const BlockRunner& runner,
                         Sensitivity& sensitivity, ScenarioRefusal& refused);

}  // namespace morbilex
