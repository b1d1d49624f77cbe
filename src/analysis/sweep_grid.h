// A parameter sweep: its axes, the scenarios numbered run_id 1..N in row-major
// order (the first axis varies slowest), the shares of a cluster's job array,
// and the set-up of each scenario exactly as a single run with those options.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/run_summary.h"
#include "analysis/scenario_setup.h"

namespace morbilex {

inline constexpr long long LARGEST_SWEEP = 100'000'000;

// One swept option: NAME=a:b:step (value k is a + k * step, b included) or
// NAME=v1,v2,... NAME is a field of the dialogs or "mode".
struct SweepAxis {
    std::string name;
    std::string option;  // as given, for messages: --sweep=...
    bool is_mode = false;
    TypedField field{};  // the dialog field (not for the mode)
    bool is_range = false;
    double first = 0.0, step = 0.0;
    long long count = 0;
    std::vector<double> values;  // a list's values

    double value(long long k) const { return is_range ? first + k * step : values[k]; }
    // The value as typed into the dialog or written in the swept column.
    void append_value_text(std::string& out, long long k) const;
};

// Reads the text after --sweep=; false with a one-line reason naming the option.
bool parse_sweep_axis(std::string_view text, SweepAxis& axis, std::string& error);

// A column of a scenario file: a dialog field or the mode.
struct ScenarioColumn {
    std::string name;
    bool is_mode = false;
    TypedField field{};  // the dialog field (not for the mode)
};

// The cells of a scenario file, one after another. A cell whose text is the
// shortest text of its number (what a program writing numbers writes) is kept
// as that number, 8 bytes; any other cell as its text. Either way the text
// comes back exactly as it was read. Copies share the cells.
class ScenarioCells {
public:
    void append(std::string_view text);
    std::size_t size() const { return store_ ? store_->size : 0; }
    bool empty() const { return size() == 0; }
    void append_text(std::string& out, std::size_t index) const;

private:
    // Blocks of cells, so that growing never holds two copies of them.
    static constexpr std::size_t BLOCK = 1 << 16;
    struct Store {
        // A number's bits, or a NaN marking a text.
        std::vector<std::unique_ptr<std::uint64_t[]>> blocks;
        std::size_t size = 0;
        std::string texts;  // each text after its length (4 bytes)
    };
    std::shared_ptr<Store> store_;
};

// Scenarios read from a file, a row each: the cells are the texts typed into
// the columns' fields.
struct ScenarioTable {
    std::string option;  // as given, for messages: --scenarios=...
    std::string path;
    std::vector<ScenarioColumn> columns;
    ScenarioCells cells;  // row after row, a cell a column

    long long count() const {
        return columns.empty() ? 0 : static_cast<long long>(cells.size() / columns.size());
    }
    // The line of the file a row is on: the header is line 1, no line is blank.
    long long line_of(long long row) const { return row + 2; }
    void append_cell_text(std::string& out, long long row, std::size_t column) const {
        cells.append_text(out, static_cast<std::size_t>(row) * columns.size() + column);
    }
};

// The scenarios: every row of the table (when there is one) with every point
// of the axes; the rows vary slowest.
struct SweepGrid {
    std::vector<SweepAxis> axes;
    ScenarioTable table;

    bool has_table() const { return !table.cells.empty(); }
    long long points() const;  // the axes' combinations: 1 without axes
    long long size() const;    // points() x the table's rows
    // The table's row of run_id (0 without a table).
    long long row_of(long long run_id) const { return (run_id - 1) / points(); }
    // The index on every axis of run_id (1-based).
    void indices_of(long long run_id, std::span<long long> indices) const;
};

// Adds an axis; false when its name is swept already or the grid would hold
// more than LARGEST_SWEEP scenarios.
bool add_sweep_axis(SweepGrid& grid, SweepAxis axis, std::string& error);

// K of N: run_id r belongs to shard ((r - 1) mod N) + 1.
struct Shard {
    long long index = 1;
    long long count = 1;

    long long size(long long total) const;  // how many run_ids of 1..total are ours
    long long run_id(long long local) const { return index + local * count; }
};

// Reads "K/N"; false with a one-line reason.
bool parse_shard(std::string_view text, Shard& shard, std::string& error);

// Everything that makes the scenarios of a sweep.
struct SweepPlan {
    SweepGrid grid;
    std::vector<TypedField> base;  // the other options' fields
    InterventionMode base_mode = MODE_NO_INTERVENTION;
    bool has_off_ratio = false;
    double off_ratio = 0.0;  // Off_threshold = off_ratio * On_threshold
};

// One thread's working state for setting up scenarios: its own records (the
// result table stays untouched) and typed fields, reused for every scenario.
class ScenarioBuilder {
public:
    explicit ScenarioBuilder(const SweepPlan& plan);

    // The scenario of run_id; false with refused filled in when a dialog
    // refuses it or the run could not integrate it.
    bool build(long long run_id, ScenarioInputs& inputs, ScenarioRefusal& refused);

private:
    void type_off_threshold();

    const SweepPlan& plan_;
    std::unique_ptr<Records> records_;
    std::vector<TypedField> typed_;
    std::vector<long long> indices_;
    std::vector<const SweepAxis*> axis_of_typed_;  // nullptr: a base field
    std::vector<int> column_of_typed_;             // -1: not a table's column
};

// The sweep's CSV header line, and a row's line (both ending in a newline),
// and a row as one line of JSON Lines.
std::string sweep_csv_header(const SweepGrid& grid);
void append_sweep_csv_row(std::string& out, const SweepGrid& grid, long long run_id,
                          const SummaryRow& row);
void append_sweep_json_row(std::string& out, const SweepGrid& grid, long long run_id,
                           const SummaryRow& row);

}  // namespace morbilex
