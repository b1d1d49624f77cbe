// The merge's checks of a row against the writers of the rows: every row a
// sweep writes passes them, with the keys and fields of its header.
#include "analysis/sweep_row_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/run_figures.h"
#include "analysis/sweep_grid.h"

namespace morbilex {
namespace {

TEST(SweepRowCheck, ReadsBackEveryRowTheWritersWrite) {
    SweepGrid grid;
    grid.table.columns = {{"R_0"}, {"note"}};
    // Cells that are JSON numbers and cells JSON has to quote; a scenario file
    // splits at every comma, so a cell may hold a lone '"'.
    for (const char* cell : {"2.5", "-0", "2.5 ", "1e3x", "01", "a\"b\\c\x01", "1.", "2\""})
        grid.table.cells.append(cell);
    std::string error;
    for (const char* sweep : {"mode=0,1,2", "latent_period=0.5:1e20:3e19"}) {
        SweepAxis axis;
        ASSERT_TRUE(parse_sweep_axis(sweep, axis, error) && add_sweep_axis(grid, axis, error));
    }
    ScenarioInputs scenario;
    SummaryRow row;
    summarise_run(scenario, integrate_run_figures(scenario), row);
    row[summary_column_index("peak_infectious")].number = std::numeric_limits<double>::infinity();
    const std::string header = sweep_csv_header(grid);
    const std::size_t fields = csv_field_count(header.substr(0, header.size() - 1));
    std::string first_keys;
    for (long long run_id = 1; run_id <= grid.size(); ++run_id) {
        std::string csv, json, keys;
        append_sweep_csv_row(csv, grid, run_id, row);
        append_sweep_json_row(json, grid, run_id, row);
        csv.pop_back();
        json.pop_back();
        long long read = 0;
        EXPECT_TRUE(row_run_id(csv, false, read) && read == run_id) << csv;
        EXPECT_TRUE(row_run_id(json, true, read) && read == run_id) << json;
        EXPECT_EQ(csv_field_count(csv), fields) << csv;
        EXPECT_TRUE(json_row_keys(json, keys)) << json;
        if (first_keys.empty()) first_keys = keys;
        EXPECT_EQ(keys, first_keys) << json;
    }
    // What no writer writes: numbers outside JSON's grammar (which a
    // library's double reader may take), an object cut short or followed.
    std::string keys;
    for (const char* refused :
         {"{\"a\":-inf}", "{\"a\":01}", "{\"a\":1.}", "{\"a\":.5}", "{\"a\":+1}", "{\"a\":1e}",
          "{\"a\":1", "{\"a\":\"x}", "{\"a\":1}x"})
        EXPECT_FALSE(json_row_keys(refused, keys)) << refused;
    long long read = 0;
    EXPECT_FALSE(row_run_id("0,1", false, read));
    EXPECT_FALSE(row_run_id("{\"run\":1}", true, read));
}

}  // namespace
}  // namespace morbilex
