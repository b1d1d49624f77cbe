// The whole drawing-call log of many charts, held to digests recorded from a
// known-good build: any change of a coordinate, text, pen or call order in
// any of these drawings shows up here.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "chart_test_support.h"

namespace morbilex::testing {
namespace {

std::uint64_t fnv1a(std::uint64_t hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t k = 0; k < size; ++k) {
        hash ^= bytes[k];
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::uint64_t log_digest(const RecordingSurface& surface) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const SurfaceCall& call : surface.calls) {
        const long long numbers[4] = {call.x, call.y, static_cast<long long>(call.object),
                                      static_cast<long long>(call.colour)};
        hash = fnv1a(hash, call.operation.data(), call.operation.size() + 1);
        hash = fnv1a(hash, numbers, sizeof numbers);
        hash = fnv1a(hash, call.text.data(), call.text.size() + 1);
    }
    return hash;
}

struct Drawing {
    const char* name;
    InterventionMode mode;
    AxisScale scale;
    int width, height;
    double R_0 = 2.5;
    int n_steps = 800;
};

// A scale with these limits (x_per_day and y_per_person as at start).
AxisScale limits(double xmin, double xmax, double ymin, double ymax) {
    AxisScale scale;
    scale.xmin = xmin;
    scale.xmax = xmax;
    scale.ymin = ymin;
    scale.ymax = ymax;
    return scale;
}

const Drawing DRAWINGS[] = {
    {"title", MODE_NOTHING_CALCULATED, AxisScale{}, 1200, 700},
    {"title_small", MODE_NOTHING_CALCULATED, AxisScale{}, 200, 90},
    {"default", MODE_NO_INTERVENTION, AxisScale{}, 1200, 700},
    {"one_time", MODE_ONE_TIME, AxisScale{}, 1200, 700},
    {"intermittent", MODE_INTERMITTENT, AxisScale{}, 1200, 700},
    {"whole", MODE_NO_INTERVENTION, limits(0, 200, 0, 2000), 1200, 700},
    {"whole_one_time", MODE_ONE_TIME, limits(0, 200, 0, 2000), 800, 1000},
    {"whole_intermittent", MODE_INTERMITTENT, limits(0, 200, 0, 60), 640, 480},
    {"shifted", MODE_ONE_TIME, limits(-20, 120, -100, 2000), 1000, 600},
    {"narrow", MODE_NO_INTERVENTION, limits(50, 51, 0, 10000), 300, 900},
    {"long", MODE_INTERMITTENT, limits(0, 10000, 0, 100), 1920, 1080, 2.5, 40000},
    {"not_drawable", MODE_NO_INTERVENTION, limits(5, 5, 0, 100), 1200, 700},
    {"overflow", MODE_NO_INTERVENTION, limits(0, 200, 0, 2000), 1200, 700, 1e308},
    {"tiny", MODE_ONE_TIME, limits(0, 200, 0, 2000), 40, 30},
};

// Recorded from the build before the run loop was shared by its sinks.
const std::uint64_t EXPECTED[] = {
    0x2f299756cc0c78e3ULL, 0x2f299756cc0c78e3ULL, 0x2c3f96da001e2dfeULL, 0x801943b09ed1311eULL,
    0x9f9c729d08dd1392ULL, 0xa4e423ca2ff5276fULL, 0x9626d6de9bfa1351ULL, 0xc01849abd55dc9aaULL,
    0x65b94c38d99c2707ULL, 0x393daefc4cb49bc8ULL, 0x95c5223229ebb3e9ULL, 0x13baf261aac31d6bULL,
    0x79e49e29b141cc39ULL, 0x7aa49fbd939d24dfULL,
};
static_assert(std::size(EXPECTED) == std::size(DRAWINGS));

TEST(ChartLogDigest, EveryDrawingCallAsRecorded) {
    const SeriesColours colours = series_colours();
    for (std::size_t k = 0; k < std::size(DRAWINGS); ++k) {
        const Drawing& drawing = DRAWINGS[k];
        auto records = default_records();
        records->model.R_0 = drawing.R_0;
        records->model.n_steps = drawing.n_steps;
        records->scale = drawing.scale;
        records->mode = drawing.mode;
        if (drawing.mode >= 0) run_simulation_to_stream(*records, drawing.mode, nullptr);
        RecordingSurface surface;
        draw_view(*records, colours, surface, 0, 0, drawing.width, drawing.height);
        const std::uint64_t digest = log_digest(surface);
        if (std::getenv("MORBILEX_PRINT_DIGESTS") != nullptr) {
            std::printf("    0x%016llxULL,  // %s\n", static_cast<unsigned long long>(digest),
                        drawing.name);
        }
        EXPECT_EQ(digest, EXPECTED[k]) << drawing.name;
    }
}

}  // namespace
}  // namespace morbilex::testing
