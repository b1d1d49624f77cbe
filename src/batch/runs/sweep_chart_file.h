// A sweep's chart drawn to a picture file's bytes.
#pragma once

#include <string>

#include "batch/options/batch_request.h"
#include "batch/runs/sweep_chart_data.h"

namespace morbilex::batch {

// The chart's file as bytes, before anything is written; false with a
// one-line reason naming --chart.
bool draw_sweep_chart(const SweepChartContents& contents, const BatchRequest& request,
                      std::string& bytes, std::string& error);

}  // namespace morbilex::batch
