#include "analysis/sweep_grid.h"

#include <cmath>
#include <cstring>

#include "analysis/sweep_row_check.h"
#include "model/simulation.h"
#include "text/read.h"
#include "text/shortest.h"
#include "text/whole_number.h"

namespace morbilex {
namespace {

bool refuse(std::string& error, const std::string& option, const std::string& reason) {
    error = option + ": " + reason;
    return false;
}

// a:b:step, with b reached when the steps land on it within rounding.
bool parse_range(std::string_view text, SweepAxis& axis, std::string& error) {
    const std::size_t first_colon = text.find(':');
    const std::size_t second_colon = text.find(':', first_colon + 1);
    double a = 0.0, b = 0.0, step = 0.0;
    if (second_colon == std::string_view::npos ||
        !read_full_number(text.substr(0, first_colon), a) ||
        !read_full_number(text.substr(first_colon + 1, second_colon - first_colon - 1), b) ||
        !read_full_number(text.substr(second_colon + 1), step)) {
        return refuse(error, axis.option, "a range is a:b:step of three finite numbers");
    }
    if (step == 0.0) return refuse(error, axis.option, "the step must not be 0");
    const double steps = (b - a) / step;
    if (!std::isfinite(steps)) return refuse(error, axis.option, "the range is out of bounds");
    if (steps < 0.0) {
        return refuse(error, axis.option, "the step's sign does not lead from a to b");
    }
    if (steps >= static_cast<double>(LARGEST_SWEEP)) {
        return refuse(error, axis.option, "more than 10^8 scenarios");
    }
    axis.is_range = true;
    axis.first = a;
    axis.step = step;
    axis.count = static_cast<long long>(std::floor(steps + 1e-9 * std::max(1.0, steps))) + 1;
    // The allowance above lets the steps land on a b they miss by rounding
    // alone; over many steps it also reaches a value truly past b (1e7 for
    // 0:9999999.995:1), which is dropped. Rounding moves a + k * step from b
    // by some units in the last place of |a| + |b| at most.
    const double past_b = (axis.value(axis.count - 1) - b) * (step > 0.0 ? 1.0 : -1.0);
    if (axis.count > 1 && past_b > 1e-14 * (std::abs(a) + std::abs(b))) {
        --axis.count;
    }
    for (long long k : {0LL, axis.count - 1}) {
        if (!std::isfinite(axis.value(k))) {
            return refuse(error, axis.option, "the range is out of bounds");
        }
    }
    return true;
}

bool parse_list(std::string_view text, SweepAxis& axis, std::string& error) {
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        double value = 0.0;
        const std::string_view item = text.substr(start, comma - start);
        if (!read_full_number(item, value)) {
            std::string reason = "'";  // built up in steps: GCC 12 warns about a + chain here
            reason.append(item);
            reason += "' is not a finite number";
            return refuse(error, axis.option, reason);
        }
        axis.values.push_back(value);
        start = comma + 1;
    }
    axis.count = static_cast<long long>(axis.values.size());
    return true;
}

bool modes_acceptable(const SweepAxis& axis, std::string& error) {
    for (long long k = 0; k < axis.count; ++k) {
        const double mode = axis.value(k);
        if (mode != 0.0 && mode != 1.0 && mode != 2.0) {
            return refuse(error, axis.option, "the mode is 0, 1 or 2");
        }
    }
    return true;
}

// Scenarios after the axis's own index changes by one.
long long stride_of(const SweepGrid& grid, std::size_t axis) {
    long long stride = 1;
    for (std::size_t k = axis + 1; k < grid.axes.size(); ++k)
        stride *= grid.axes[k].count;
    return stride;
}

long long index_on_axis(const SweepGrid& grid, std::size_t axis, long long run_id) {
    return ((run_id - 1) / stride_of(grid, axis)) % grid.axes[axis].count;
}

// A scenario file's cell: the number as written, or a string when it is no
// JSON number (the dialog reads "2.5 " or "1e3x" too).
void append_json_cell(std::string& out, std::string_view cell) {
    if (json_number(cell)) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char HEX[] = "0123456789abcdef";
            out += "\\u00";
            out += HEX[(c >> 4) & 0xf];
            out += HEX[c & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

// A text cell: a quiet NaN (which no cell reads as) with the text's offset.
constexpr std::uint64_t TEXT_CELL = 0x7ff8'0000'0000'0000;
constexpr std::uint64_t TEXT_CELL_MASK = 0xfff8'0000'0000'0000;

void ScenarioCells::append(std::string_view text) {
    if (!store_) store_ = std::make_shared<Store>();
    Store& store = *store_;
    if (store.size % BLOCK == 0) store.blocks.push_back(std::make_unique<std::uint64_t[]>(BLOCK));
    std::uint64_t& cell = store.blocks.back()[store.size++ % BLOCK];
    double value = 0.0;
    if (read_full_number(text, value)) {
        char shortest[SHORTEST_TEXT_LIMIT];
        if (std::string_view(shortest, write_shortest(shortest, value) - shortest) == text) {
            std::memcpy(&cell, &value, sizeof value);
            return;
        }
    }
    cell = TEXT_CELL | store.texts.size();
    const auto length = static_cast<std::uint32_t>(text.size());
    store.texts.append(reinterpret_cast<const char*>(&length), sizeof length);
    store.texts.append(text);
}

void ScenarioCells::append_text(std::string& out, std::size_t index) const {
    const std::uint64_t cell = store_->blocks[index / BLOCK][index % BLOCK];
    if ((cell & TEXT_CELL_MASK) != TEXT_CELL) {
        double value = 0.0;
        std::memcpy(&value, &cell, sizeof value);
        append_shortest(out, value);
        return;
    }
    const std::size_t at = cell & ~TEXT_CELL_MASK;
    std::uint32_t length = 0;
    std::memcpy(&length, store_->texts.data() + at, sizeof length);
    out.append(store_->texts, at + sizeof length, length);
}

void SweepAxis::append_value_text(std::string& out, long long k) const {
    if (is_mode) {
        out += std::to_string(static_cast<int>(value(k)));
    } else {
        append_shortest(out, value(k));
    }
}

bool parse_sweep_axis(std::string_view text, SweepAxis& axis, std::string& error) {
    axis = SweepAxis{};
    axis.option = "--sweep=" + std::string(text);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return refuse(error, axis.option, "a sweep is NAME=a:b:step or NAME=v1,v2,...");
    }
    axis.name = text.substr(0, equals);
    axis.is_mode = axis.name == "mode";
    if (!axis.is_mode && !find_editable_field(axis.name, axis.field)) {
        return refuse(error, axis.option,
                      "unknown NAME '" + axis.name + "' (a field option or mode)");
    }
    const std::string_view values = text.substr(equals + 1);
    const bool parsed = values.find(':') != std::string_view::npos
                            ? parse_range(values, axis, error)
                            : parse_list(values, axis, error);
    return parsed && (!axis.is_mode || modes_acceptable(axis, error));
}

long long SweepGrid::points() const {
    long long total = 1;
    for (const SweepAxis& axis : axes)
        total *= axis.count;
    return total;
}

long long SweepGrid::size() const {
    return has_table() ? points() * table.count() : points();
}

void SweepGrid::indices_of(long long run_id, std::span<long long> indices) const {
    long long rest = run_id - 1;
    for (std::size_t k = axes.size(); k-- > 0;) {
        indices[k] = rest % axes[k].count;
        rest /= axes[k].count;
    }
}

bool add_sweep_axis(SweepGrid& grid, SweepAxis axis, std::string& error) {
    for (const SweepAxis& earlier : grid.axes) {
        if (earlier.name == axis.name) {
            return refuse(error, axis.option, axis.name + " is swept twice");
        }
    }
    if (axis.count > LARGEST_SWEEP / grid.size()) {
        return refuse(error, axis.option, "the sweep would hold more than 10^8 scenarios");
    }
    grid.axes.push_back(std::move(axis));
    return true;
}

long long Shard::size(long long total) const {
    return total >= index ? (total - index) / count + 1 : 0;
}

bool parse_shard(std::string_view text, Shard& shard, std::string& error) {
    const std::string option = "--shard=" + std::string(text);
    switch (read_one_of(text, shard.index, shard.count)) {
        case OneOfReading::Read:
            return true;
        case OneOfReading::NotTwoWholes:
            return refuse(error, option, "a shard is K/N, two whole numbers");
        case OneOfReading::CountBelowOne:
            return refuse(error, option, "N must be 1 or more");
        case OneOfReading::OutsideCount:
            break;
    }
    return refuse(error, option, "K must lie in 1.." + std::to_string(shard.count));
}

ScenarioBuilder::ScenarioBuilder(const SweepPlan& plan)
    : plan_(plan), records_(std::make_unique<Records>()), indices_(plan.grid.axes.size()) {
    for (const TypedField& field : plan.base) {
        typed_.push_back(field);
        axis_of_typed_.push_back(nullptr);
    }
    const std::vector<ScenarioColumn>& columns = plan.grid.table.columns;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (columns[k].is_mode) continue;
        typed_.push_back(columns[k].field);
        axis_of_typed_.push_back(nullptr);
        column_of_typed_.resize(typed_.size(), -1);
        column_of_typed_.back() = static_cast<int>(k);
    }
    for (const SweepAxis& axis : plan.grid.axes) {
        if (axis.is_mode) continue;
        typed_.push_back(axis.field);
        axis_of_typed_.push_back(&axis);
    }
    if (plan.has_off_ratio) {
        TypedField off;
        find_editable_field("Off_threshold", off);
        typed_.push_back(off);
        axis_of_typed_.push_back(nullptr);
    }
    column_of_typed_.resize(typed_.size(), -1);
}

// Off_threshold = ratio x the On_threshold the intermittent dialog will read:
// the text typed for it, or the text it shows for the default.
void ScenarioBuilder::type_off_threshold() {
    const std::string* on_text = nullptr;
    for (const TypedField& field : typed_) {
        if (std::string_view(field.field->name) == "On_threshold") on_text = &field.text;
    }
    TypedField on_field;
    find_editable_field("On_threshold", on_field);
    const std::string shown = on_text != nullptr ? *on_text
                                                 : display_text(on_field.field->display_format,
                                                                IntermittentPlan{}.On_threshold);
    double on = 0.0;
    read_leading_number(std::string_view(shown).substr(0, DIALOG_TEXT_CAPACITY - 1), on);
    TypedField& off = typed_.back();
    off.text.clear();
    append_shortest(off.text, plan_.off_ratio * on);
}

bool ScenarioBuilder::build(long long run_id, ScenarioInputs& inputs, ScenarioRefusal& refused) {
    plan_.grid.indices_of(run_id, indices_);
    InterventionMode mode = plan_.base_mode;
    if (plan_.grid.has_table()) {
        const ScenarioTable& table = plan_.grid.table;
        const long long row = plan_.grid.row_of(run_id);
        for (std::size_t k = 0; k < table.columns.size(); ++k) {
            if (!table.columns[k].is_mode) continue;
            std::string mode_text;
            table.append_cell_text(mode_text, row, k);
            mode = static_cast<InterventionMode>(mode_text[0] - '0');
        }
        for (std::size_t k = 0; k < typed_.size(); ++k) {
            if (column_of_typed_[k] < 0) continue;
            typed_[k].text.clear();
            table.append_cell_text(typed_[k].text, row, column_of_typed_[k]);
        }
    }
    for (std::size_t k = 0; k < plan_.grid.axes.size(); ++k) {
        const SweepAxis& axis = plan_.grid.axes[k];
        if (axis.is_mode) mode = static_cast<InterventionMode>(axis.value(indices_[k]));
    }
    for (std::size_t k = 0; k < typed_.size(); ++k) {
        const SweepAxis* axis = axis_of_typed_[k];
        if (axis == nullptr) continue;
        typed_[k].text.clear();
        axis->append_value_text(typed_[k].text, indices_[axis - plan_.grid.axes.data()]);
    }
    if (plan_.has_off_ratio) type_off_threshold();
    reset_scenario_fields(*records_);
    SetupRefusal setup;
    if (!apply_typed_fields(*records_, typed_, setup)) {
        refused = refused_field(setup, typed_, run_id);
        return false;
    }
    if (!run_inputs_acceptable(*records_, mode)) {
        refused = {
            ScenarioRefusal::Cause::NotIntegrable, run_id, nullptr, false, {}, RefusalReason::None};
        return false;
    }
    inputs = scenario_inputs_of(*records_, mode);
    return true;
}

std::string sweep_csv_header(const SweepGrid& grid) {
    std::string header = "run_id";
    for (const ScenarioColumn& column : grid.table.columns)
        header += ",swept_" + column.name;
    for (const SweepAxis& axis : grid.axes)
        header += ",swept_" + axis.name;
    return header + "," + summary_csv_header() + "\n";
}

void append_sweep_csv_row(std::string& out, const SweepGrid& grid, long long run_id,
                          const SummaryRow& row) {
    out += std::to_string(run_id);
    if (grid.has_table()) {
        const long long row = grid.row_of(run_id);
        for (std::size_t k = 0; k < grid.table.columns.size(); ++k) {
            out += ',';
            grid.table.append_cell_text(out, row, k);
        }
    }
    for (std::size_t k = 0; k < grid.axes.size(); ++k) {
        out += ',';
        grid.axes[k].append_value_text(out, index_on_axis(grid, k, run_id));
    }
    out += ',';
    append_summary_csv(out, row);
    out += '\n';
}

void append_sweep_json_row(std::string& out, const SweepGrid& grid, long long run_id,
                           const SummaryRow& row) {
    out += "{\"run_id\":" + std::to_string(run_id);
    if (grid.has_table()) {
        const long long table_row = grid.row_of(run_id);
        std::string cell;
        for (std::size_t k = 0; k < grid.table.columns.size(); ++k) {
            out += ",\"swept_" + grid.table.columns[k].name + "\":";
            cell.clear();
            grid.table.append_cell_text(cell, table_row, k);
            append_json_cell(out, cell);
        }
    }
    for (std::size_t k = 0; k < grid.axes.size(); ++k) {
        out += ",\"swept_" + grid.axes[k].name + "\":";
        grid.axes[k].append_value_text(out, index_on_axis(grid, k, run_id));
    }
    out += ',';
    append_summary_json(out, row);
    out += "}\n";
}

}  // namespace morbilex
