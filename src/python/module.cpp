// morbilex._core: the model's runs, sweeps and scenario files for Python.
// Fields go through the same dialog protocol as morbilex-batch's options,
// refusals are told in its words; morbilex/__init__.py turns what comes back
// into the module's objects.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/refusal_text.h"
#include "analysis/run_figures.h"
#include "analysis/run_summary.h"
#include "analysis/scenario_checks.h"
#include "analysis/scenario_fields.h"
#include "analysis/scenario_setup.h"
#include "analysis/sweep_grid.h"
#include "analysis/sweep_runner.h"
#include "model/run_loop.h"
#include "shell/messages.h"
#include "shell/scenario_files.h"
#include "text/shortest.h"
#include "trace/traced_run.h"

namespace py = pybind11;

namespace morbilex::python {
namespace {

using Pairs = std::vector<std::pair<std::string, py::object>>;

[[noreturn]] void refuse(const std::string& reason) {
    throw py::value_error(reason);
}

// A value as typed into a field: a text as it is, a number as its shortest
// text (what the programs write and read back to the very same number).
std::string typed_text(const py::handle& value, const std::string& name) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::bool_>(value) || !PyNumber_Check(value.ptr())) {
        throw py::type_error(name + ": a number or a text is needed, not " +
                             std::string(py::str(py::type::of(value).attr("__name__"))));
    }
    std::string text;
    append_shortest(text, py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>());
    return text;
}

TypedField field_named(const std::string& name) {
    TypedField typed;
    if (find_editable_field(name, typed)) return typed;
    if (name == "init_S")
        refuse(
            "init_S: S(0) cannot be set; it is what E(0), I(0) and R(0) "
            "leave of 10000");
    refuse("unknown field " + name);
}

void type_fields(const Pairs& fields, std::vector<TypedField>& typed) {
    for (const auto& [name, value] : fields) {
        TypedField field = field_named(name);
        field.text = typed_text(value, name);
        if (!fits_field(field.text)) refuse(too_long_field_text(name));
        typed.push_back(std::move(field));
    }
}

InterventionMode mode_of(const py::handle& value) {
    const std::string text = typed_text(value, "mode");
    if (text == "0" || text == "1" || text == "2") return text[0] - '0';
    refuse("mode: the mode is 0 (no intervention), 1 (one-time) or 2 (intermittent)");
}

// The fields a scenario file types, its mode when it has one.
void type_scenario_file(const std::string& path, std::vector<TypedField>& typed,
                        InterventionMode& mode) {
    auto records = std::make_unique<Records>();
    std::string reason;
    InterventionMode file_mode = MODE_NOTHING_CALCULATED;
    if (!load_scenario_file(path, *records, file_mode, reason)) refuse(reason);
    type_scenario_fields(*records, typed);
    if (file_mode >= 0) mode = file_mode;
}

// The records of the typed fields after every dialog's OK.
std::unique_ptr<Records> records_of(const std::vector<TypedField>& typed) {
    auto records = std::make_unique<Records>();
    SetupRefusal refused;
    if (!apply_typed_fields(*records, typed, refused)) {
        refuse(single_run_refusal_text(refused_field(refused, typed, 0)));
    }
    return records;
}

py::object summary_value(const SummaryValue& value) {
    switch (value.kind) {
        case SummaryValue::Kind::Number:
            return py::float_(value.number);
        case SummaryValue::Kind::Integer:
            return py::int_(value.integer);
        case SummaryValue::Kind::Text:
            return py::str(value.text);
        case SummaryValue::Kind::Empty:
            break;
    }
    return py::none();
}

// Every row of the run, kept as the run hands them over.
class RowArrays : public RunObserver {
public:
    std::vector<double> t, y[COMPARTMENT_COUNT];
    std::vector<int> on_flag;

    void run_started(const Records& records, InterventionMode) override {
        // A run of no steps (T_max of zero or less) has its first row only.
        const std::size_t rows = static_cast<std::size_t>(std::max(records.model.n_steps, 0)) + 1;
        t.reserve(rows);
        for (auto& values : y)
            values.reserve(rows);
        on_flag.reserve(rows);
    }
    void row(int, double time, int flag, const double* state) override {
        t.push_back(time);
        for (int k = 0; k < COMPARTMENT_COUNT; ++k)
            y[k].push_back(state[k]);
        on_flag.push_back(flag);
    }
    void last_row(int step, double time, int flag, const double* state) override {
        row(step, time, flag, state);
    }
};

template <typename T>
py::array_t<T> array_of(const std::vector<T>& values) {
    return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

// One run: its rows, trace, summary and inputs after the dialogs' repairs.
py::dict run(const Pairs& fields, const py::object& mode_value, const std::string& scenario) {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NO_INTERVENTION;
    if (!scenario.empty()) type_scenario_file(scenario, typed, mode);
    type_fields(fields, typed);
    if (!mode_value.is_none()) mode = mode_of(mode_value);
    std::unique_ptr<Records> records = records_of(typed);
    records->mode = mode;
    RowArrays rows;
    NonFiniteRow non_finite;
    SummaryRow summary;
    int result = RUN_REFUSED;
    char* trace_text = nullptr;
    std::size_t trace_size = 0;
    {
        py::gil_scoped_release released;
        std::FILE* trace = open_memstream(&trace_text, &trace_size);
        if (trace != nullptr) {
            result = run_simulation_to_stream(*records, mode, trace, &non_finite, &rows);
            if (std::fclose(trace) != 0 && result != RUN_REFUSED) result = RUN_TRACE_NOT_WRITTEN;
        }
        if (result == RUN_COMPLETED || result == RUN_NOT_FINITE) {
            const ScenarioInputs inputs = scenario_inputs_of(*records, mode);
            summarise_run(inputs, integrate_run_figures(inputs), summary);
        }
    }
    const std::unique_ptr<char, decltype(&std::free)> trace_owner(trace_text, &std::free);
    if (result == RUN_REFUSED) refuse(run_failure_text(RUN_REFUSED));
    if (result != RUN_COMPLETED && result != RUN_NOT_FINITE) {
        throw std::runtime_error("the trace could not be kept in memory");
    }
    py::dict out;
    out["t"] = array_of(rows.t);
    const char* names[COMPARTMENT_COUNT] = {"S", "E", "I", "R"};
    for (int k = 0; k < COMPARTMENT_COUNT; ++k)
        out[names[k]] = array_of(rows.y[k]);
    out["on_flag"] = array_of(rows.on_flag);
    out["trace"] = py::bytes(trace_text != nullptr ? trace_text : "", trace_size);
    py::dict figures;
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k)
        figures[SUMMARY_COLUMNS[k].name] = summary_value(summary[k]);
    out["summary"] = figures;
    py::dict inputs;
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order != 0) inputs[field.name] = field.shown_value(*records);
        }
    }
    out["inputs"] = inputs;
    out["mode"] = mode;
    out["warning"] = non_finite.step >= 0 ? py::object(py::str(non_finite_run_text(non_finite)))
                                          : py::object(py::none());
    return out;
}

py::tuple read_scenario(const std::string& path) {
    std::vector<TypedField> typed;
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    type_scenario_file(path, typed, mode);
    std::unique_ptr<Records> records = records_of(typed);
    py::dict fields;
    for (const TypedField& field : typed)
        fields[field.field->name] = field.field->shown_value(*records);
    return py::make_tuple(fields, mode >= 0 ? py::object(py::int_(mode)) : py::object(py::none()));
}

std::string write_scenario(std::string path, const Pairs& fields, const py::object& mode_value) {
    std::vector<TypedField> typed;
    type_fields(fields, typed);
    std::unique_ptr<Records> records = records_of(typed);
    if (!mode_value.is_none()) records->mode = mode_of(mode_value);
    std::string error;
    if (!save_scenario_file(path, *records, error)) throw std::runtime_error(error);
    return path;
}

// A sweep's results, a column a name, filled by the workers at the row of
// each run_id.
struct SweepColumns {
    std::vector<std::string> names;
    std::vector<py::array_t<double>> numbers;     // run_id, swept values, numeric figures
    std::vector<double*> slots;                   // their data, written without the GIL
    std::vector<std::vector<const char*>> texts;  // the text figures
    std::vector<int> column_of;                   // summary column -> numbers or -(texts + 1)
};

SweepColumns columns_for(const SweepGrid& grid) {
    const auto rows = static_cast<py::ssize_t>(grid.size());
    SweepColumns columns;
    const auto add_numbers = [&](const std::string& name) {
        columns.names.push_back(name);
        columns.numbers.emplace_back(rows);
        columns.slots.push_back(columns.numbers.back().mutable_data());
    };
    add_numbers("run_id");
    for (const SweepAxis& axis : grid.axes)
        add_numbers("swept_" + axis.name);
    for (const SummaryColumn& column : SUMMARY_COLUMNS) {
        if (column.kind == ValueKind::Text) {
            columns.column_of.push_back(-static_cast<int>(columns.texts.size()) - 1);
            columns.texts.emplace_back(static_cast<std::size_t>(rows), nullptr);
        } else {
            columns.column_of.push_back(static_cast<int>(columns.numbers.size()));
            add_numbers(column.name);
        }
    }
    return columns;
}

// More axes than there are fields.
constexpr std::size_t MOST_AXES = 64;

class NoRows : public RowSink {
public:
    bool write(std::string_view) override { return true; }
};

// Runs the sweep on its own thread, the GIL released; every tenth of a second
// the calling thread looks for a signal (Ctrl-C), which stops the sweep and is
// raised once the workers are done.
SweepOutcome run_released(const SweepPlan& plan, SweepSettings& settings) {
    std::atomic<bool> stop{false};
    settings.stop = &stop;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    SweepOutcome outcome;
    std::exception_ptr failure;
    std::thread worker([&] {
        NoRows sink;
        try {
            outcome = run_sweep(plan, settings, sink);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
        finished.notify_all();
    });
    bool signalled = false;
    for (;;) {
        {
            py::gil_scoped_release released;
            std::unique_lock<std::mutex> lock(mutex);
            if (finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; }))
                break;
        }
        if (!signalled && PyErr_CheckSignals() != 0) {
            signalled = true;
            stop = true;
        }
    }
    {
        py::gil_scoped_release released;
        worker.join();
    }
    if (signalled || PyErr_CheckSignals() != 0) throw py::error_already_set();
    if (failure) std::rethrow_exception(failure);
    return outcome;
}

void add_table(SweepGrid& grid, const Pairs& table) {
    ScenarioTable& cells = grid.table;
    cells.option = "scenarios";
    std::vector<py::list> values;
    std::size_t rows = 0;
    for (const auto& [name, column] : table) {
        ScenarioColumn added;
        added.name = name;
        added.is_mode = name == "mode";
        if (!added.is_mode) added.field = field_named(name);
        cells.columns.push_back(std::move(added));
        values.push_back(py::list(column));
        if (values.size() > 1 && values.back().size() != rows) {
            refuse("scenarios: column " + name + " has " + std::to_string(values.back().size()) +
                   " rows, " + cells.columns.front().name + " " + std::to_string(rows));
        }
        rows = values.back().size();
    }
    if (rows == 0) refuse("scenarios: the table has no rows");
    if (rows > static_cast<std::size_t>(LARGEST_SWEEP)) {
        refuse("scenarios: more than 10^8 scenarios");
    }
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t k = 0; k < values.size(); ++k) {
            const std::string text = typed_text(values[k][row], cells.columns[k].name);
            if (cells.columns[k].is_mode && text != "0" && text != "1" && text != "2") {
                refuse("scenarios: row " + std::to_string(row) + ": mode=" + text +
                       " refused: the mode is 0 (no intervention), 1 (one-time) or 2 "
                       "(intermittent)");
            }
            if (!fits_field(text)) {
                refuse("scenarios: row " + std::to_string(row) + ": " +
                       too_long_field_text(cells.columns[k].name));
            }
            cells.cells.append(text);
        }
    }
}

bool named_in(const std::vector<TypedField>& typed, const std::string& name) {
    for (const TypedField& field : typed) {
        if (!field.from_scenario_file && name == field.field->name) return true;
    }
    return false;
}

// The sweep's options against each other, as morbilex-batch checks them.
void check_request(const SweepPlan& plan, const std::vector<TypedField>& base, bool mode_given) {
    const SweepGrid& grid = plan.grid;
    const auto swept = [&](const std::string& name) {
        for (const SweepAxis& axis : grid.axes) {
            if (axis.name == name) return true;
        }
        return false;
    };
    for (const ScenarioColumn& column : grid.table.columns) {
        if (swept(column.name)) refuse("scenarios: " + column.name + " is swept too");
        if (column.is_mode ? mode_given : named_in(base, column.name))
            refuse("scenarios: " + column.name + " is given too");
    }
    for (const SweepAxis& axis : grid.axes) {
        if (axis.is_mode ? mode_given : named_in(base, axis.name))
            refuse(axis.option + ": " + axis.name + " is given too");
    }
    if (!plan.has_off_ratio) return;
    bool in_table = false;
    for (const ScenarioColumn& column : grid.table.columns)
        in_table = in_table || column.name == "Off_threshold";
    if (named_in(base, "Off_threshold") || swept("Off_threshold") || in_table)
        refuse("off_ratio: it sets Off_threshold, which is given too");
}

// A sweep on the lanes: axes (NAME, text after --sweep=NAME=), the base
// fields, a table of scenarios (NAME, cells) or none. The columns of its
// rows, and a warning or None.
py::tuple sweep(const std::vector<std::pair<std::string, std::string>>& axes, const Pairs& base,
                const py::object& mode_value, const py::object& off_ratio, int jobs,
                const std::string& scenario, const Pairs& table) {
    SweepPlan plan;
    if (!scenario.empty()) type_scenario_file(scenario, plan.base, plan.base_mode);
    type_fields(base, plan.base);
    if (!mode_value.is_none()) plan.base_mode = mode_of(mode_value);
    if (!off_ratio.is_none()) {
        plan.has_off_ratio = true;
        plan.off_ratio = off_ratio.cast<double>();
        if (!std::isfinite(plan.off_ratio)) refuse("off_ratio: not a finite number");
    }
    if (!table.empty()) add_table(plan.grid, table);
    std::string error;
    for (const auto& [name, text] : axes) {
        SweepAxis axis;
        // Messages name the axis, not the values (a list may be long).
        const std::string given = "--sweep=" + name + "=" + text;
        if (!parse_sweep_axis(name + "=" + text, axis, error)) {
            if (error.compare(0, given.size(), given) == 0)
                error.replace(0, given.size(), "sweep " + name);
            refuse(error);
        }
        axis.option = "sweep " + name;
        if (!add_sweep_axis(plan.grid, std::move(axis), error)) refuse(error);
    }
    if (plan.grid.axes.size() > MOST_AXES) refuse("sweep: too many axes");
    if (plan.grid.size() == 0) refuse("sweep: no scenarios (give an axis or a table)");
    check_request(plan, plan.base, !mode_value.is_none());
    // A table's row refused: told by its row, counted from 0.
    {
        ScenarioBuilder builder(plan);
        ScenarioInputs inputs;
        ScenarioRefusal refused;
        for (long long row = 0; row < plan.grid.table.count(); ++row) {
            if (builder.build(1 + row * plan.grid.points(), inputs, refused)) continue;
            for (const ScenarioColumn& column : plan.grid.table.columns) {
                if (refused.cause == ScenarioRefusal::Cause::FieldRefused &&
                    refused.field != nullptr && column.name == refused.field->name) {
                    refuse("scenarios: row " + std::to_string(row) + ": " +
                           refused_field_text(refused));
                }
            }
            break;
        }
    }
    if (!check_scenarios(plan, "off_ratio", error)) refuse(error);
    const std::string repeated = repeated_scenarios_text(plan.grid);

    SweepColumns columns = columns_for(plan.grid);
    SweepSettings settings;
    settings.jobs = jobs;
    settings.rows = false;
    const SweepGrid& grid = plan.grid;
    settings.on_scenario = [&columns, &grid](const FinishedScenario& scenario) {
        const auto at = static_cast<std::size_t>(scenario.run_id - 1);
        columns.slots[0][at] = static_cast<double>(scenario.run_id);
        long long indices[MOST_AXES];
        const std::size_t count = grid.axes.size();
        grid.indices_of(scenario.run_id, std::span<long long>(indices, count));
        for (std::size_t k = 0; k < count; ++k)
            columns.slots[1 + k][at] = grid.axes[k].value(indices[k]);
        for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k) {
            const SummaryValue& value = scenario.row[k];
            const int column = columns.column_of[k];
            if (column < 0) {
                columns.texts[-column - 1][at] =
                    value.kind == SummaryValue::Kind::Text ? value.text : nullptr;
            } else {
                columns.slots[column][at] = value.as_number();
            }
        }
    };
    const SweepOutcome outcome = run_released(plan, settings);
    if (outcome.refused) refuse(scenario_refusal_text(*outcome.refused));

    py::dict out;
    std::size_t number = 0;
    out[py::str(columns.names[number])] = columns.numbers[number];
    ++number;
    for (std::size_t k = 0; k < grid.axes.size(); ++k, ++number)
        out[py::str(columns.names[number])] = columns.numbers[number];
    for (int k = 0; k < SUMMARY_COLUMN_COUNT; ++k) {
        const int column = columns.column_of[k];
        if (column >= 0) {
            out[SUMMARY_COLUMNS[k].name] = columns.numbers[column];
            continue;
        }
        py::list texts;
        for (const char* text : columns.texts[-column - 1])
            texts.append(text != nullptr ? py::object(py::str(text)) : py::object(py::none()));
        out[SUMMARY_COLUMNS[k].name] = texts;
    }
    return py::make_tuple(
        out, repeated.empty() ? py::object(py::none()) : py::object(py::str(repeated)));
}

std::string shortest_text(double value) {
    std::string text;
    append_shortest(text, value);
    return text;
}

}  // namespace
}  // namespace morbilex::python

PYBIND11_MODULE(_core, module) {
    using namespace morbilex::python;
    module.doc() = "The Morbilex model's core; use the morbilex package, not this module.";
    module.def("run", &run, py::arg("fields"), py::arg("mode"), py::arg("scenario"));
    module.def("sweep", &sweep, py::arg("axes"), py::arg("base"), py::arg("mode"),
               py::arg("off_ratio"), py::arg("jobs"), py::arg("scenario"), py::arg("table"));
    module.def("read_scenario", &read_scenario, py::arg("path"));
    module.def("write_scenario", &write_scenario, py::arg("path"), py::arg("fields"),
               py::arg("mode"));
    module.def("shortest_text", &shortest_text, py::arg("value"));
    py::list columns;
    for (const morbilex::SummaryColumn& column : morbilex::SUMMARY_COLUMNS)
        columns.append(column.name);
    module.attr("SUMMARY_COLUMNS") = columns;
}
