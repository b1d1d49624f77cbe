#include "explore/sliders.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "analysis/scenario_setup.h"
#include "explore/axis_fitting.h"
#include "explore/field_help.h"
#include "shell/care_fields.h"
#include "text/format.h"
#include "text/read.h"
#include "text/shortest.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

constexpr SliderField SLIDERS[] = {
    {"R_0", "R_0", 0.5, 8.0, 0.05, MODE_NO_INTERVENTION},
    {"latent_period", "Latent period (days)", 0.5, 20.0, 0.1, MODE_NO_INTERVENTION},
    {"infectious_period", "Infectious period (days)", 0.5, 20.0, 0.1, MODE_NO_INTERVENTION},
    {"T_max", "T_max (days)", 10.0, 1000.0, 5.0, MODE_NO_INTERVENTION},
    {"init_E", "E(0) (persons)", 0.0, 100.0, 0.1, MODE_NO_INTERVENTION},
    {"init_I", "I(0) (persons)", 0.0, 100.0, 0.1, MODE_NO_INTERVENTION},
    {"Redct1", "Reduction 1", 0.0, 1.0, 0.01, MODE_ONE_TIME},
    {"t_srt1", "Start 1 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"t_stp1", "End 1 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"Redct2", "Reduction 2", 0.0, 1.0, 0.01, MODE_ONE_TIME},
    {"t_srt2", "Start 2 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"t_stp2", "End 2 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"Redct3", "Reduction 3", 0.0, 1.0, 0.01, MODE_ONE_TIME},
    {"t_srt3", "Start 3 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"t_stp3", "End 3 (day)", 0.0, 365.0, 1.0, MODE_ONE_TIME},
    {"Reduction", "Reduction", 0.0, 1.0, 0.01, MODE_INTERMITTENT},
    {"On_threshold", "On at I (persons)", 0.0, 500.0, 1.0, MODE_INTERMITTENT},
    {"Off_threshold", "Off at I (persons)", 0.0, 500.0, 1.0, MODE_INTERMITTENT},
};

// The care layer's fields, shown while it is on.
constexpr SliderField CARE_SLIDERS[] = {
    {"hospital_fraction", "Hospitalised (share of cases)", 0.0, 0.2, 0.001, MODE_NO_INTERVENTION},
    {"hospital_stay", "Hospital stay (days)", 1.0, 30.0, 0.5, MODE_NO_INTERVENTION},
    {"icu_fraction", "Intensive care (share of admitted)", 0.0, 1.0, 0.01, MODE_NO_INTERVENTION},
    {"icu_stay", "Intensive care stay (days)", 1.0, 40.0, 0.5, MODE_NO_INTERVENTION},
    {"fatality_ratio", "Fatality ratio (share of cases)", 0.0, 0.05, 0.0005, MODE_NO_INTERVENTION},
};

// The capacity: a field of its own, not a dialog's; 0 is off.
constexpr SliderField CAPACITY_SLIDER = {"capacity", "Capacity (persons, 0: off)", 0.0, 2000.0,
                                         5.0,        MODE_NO_INTERVENTION};

double shown_capacity(const Records& records) {
    return records.capacity.set ? records.capacity.capacity : 0.0;
}
double* stored_capacity(Records& records, DialogScratch&) {
    return &records.capacity.capacity;
}
constexpr FieldSpec CAPACITY_FIELD = {
    260, "Capacity ", "%.2f", 1, shown_capacity, stored_capacity, "capacity", FieldRange::Any};

void set_capacity(Records& records, double persons) {
    records.capacity.set = persons > 0.0;
    records.capacity.capacity = persons > 0.0 ? persons : 0.0;
}

const CareField* care_field_of(const SliderField& slider) {
    for (const SliderField& care : CARE_SLIDERS) {
        if (&care == &slider) return find_care_field(slider.name);
    }
    return nullptr;
}

constexpr FieldGroup GROUPS[] = {
    {DialogKind::ModelParameters, "Model", MODE_NO_INTERVENTION},
    {DialogKind::OneTimePlan, "One-time windows", MODE_ONE_TIME},
    {DialogKind::IntermittentPlan, "Intermittent", MODE_INTERMITTENT},
    {DialogKind::AxisScale, "Scale", MODE_NO_INTERVENTION},
    {DialogKind::ModelParameters, "Care layer", MODE_NO_INTERVENTION, true},
    {DialogKind::ModelParameters, "Capacity", MODE_NO_INTERVENTION, false, true},
};

const SliderField* slider_named(std::string_view name) {
    for (const SliderField& slider : SLIDERS) {
        if (name == slider.name) return &slider;
    }
    return nullptr;
}

// "R(0) " and "persons": "R(0) (persons)".
std::string label_with_unit(const FieldSpec& field) {
    std::string label = field.label;
    while (!label.empty() && label.back() == ' ')
        label.pop_back();
    const FieldHelp* help = field_help(field.name);
    if (help != nullptr && std::string_view(help->unit) != "-")
        label += std::string(" (") + help->unit + ")";
    return label;
}

}  // namespace

std::span<const FieldGroup> field_groups() {
    return GROUPS;
}

std::vector<ExplorerField> explorer_fields() {
    Records defaults;
    reset_scenario_fields(defaults);
    std::vector<ExplorerField> fields;
    for (const FieldGroup& group : GROUPS) {
        if (group.care) {
            for (const SliderField& slider : CARE_SLIDERS) {
                const FieldSpec* field = slider_field_spec(slider);
                std::string shown;
                append_shortest(shown, field->shown_value(defaults));
                fields.push_back({group.dialog, field, &slider, slider.label, shown, true});
            }
            continue;
        }
        if (group.capacity) {
            fields.push_back({group.dialog, &CAPACITY_FIELD, &CAPACITY_SLIDER,
                              CAPACITY_SLIDER.label, "", false, true});
            continue;
        }
        for (const FieldSpec& field : dialog_table(group.dialog).fields) {
            if (field.read_order <= 0) continue;  // shown only
            const SliderField* slider = slider_named(field.name);
            std::string shown;
            append_shortest(shown, field.shown_value(defaults));
            fields.push_back({group.dialog, &field, slider,
                              slider != nullptr ? slider->label : label_with_unit(field), shown});
        }
    }
    return fields;
}

std::span<const SliderField> slider_fields() {
    return SLIDERS;
}

const SliderField& capacity_slider_field() {
    return CAPACITY_SLIDER;
}

bool apply_capacity_text(Records& records, std::string_view text, std::string& refusal) {
    if (text.empty()) {
        set_capacity(records, 0.0);
        return true;
    }
    double persons = 0.0;
    if (!read_full_number(text, persons) || !(persons >= 0.0) || !std::isfinite(persons)) {
        refusal = "the capacity is a number of persons per 10,000, 0 or more (empty or 0: off)";
        return false;
    }
    set_capacity(records, persons);
    return true;
}

std::span<const SliderField> care_slider_fields() {
    return CARE_SLIDERS;
}

std::vector<const SliderField*> sliders_shown(const Records& records) {
    std::vector<const SliderField*> shown =
        sliders_for_mode(std::max(records.mode, MODE_NO_INTERVENTION));
    if (records.care.enabled) {
        for (const SliderField& slider : CARE_SLIDERS)
            shown.push_back(&slider);
    }
    shown.push_back(&CAPACITY_SLIDER);
    return shown;
}

std::vector<const SliderField*> sliders_for_mode(InterventionMode mode) {
    std::vector<const SliderField*> shown;
    for (const SliderField& slider : SLIDERS) {
        if (slider.mode == MODE_NO_INTERVENTION || slider.mode == mode) shown.push_back(&slider);
    }
    return shown;
}

const FieldSpec* slider_field_spec(const SliderField& slider, DialogKind* dialog) {
    if (const CareField* care = care_field_of(slider)) return &care->dialog_field;
    if (&slider == &CAPACITY_SLIDER) return &CAPACITY_FIELD;
    TypedField found;
    if (!find_editable_field(slider.name, found)) return nullptr;
    if (dialog != nullptr) *dialog = found.dialog;
    return found.field;
}

double slider_value(const Records& records, const SliderField& slider) {
    const FieldSpec* field = slider_field_spec(slider);
    return field != nullptr ? field->shown_value(records) : 0.0;
}

int slider_positions(const SliderField& slider) {
    return static_cast<int>(std::lround((slider.maximum - slider.minimum) / slider.step)) + 1;
}

int slider_position_of(const SliderField& slider, double value) {
    if (!std::isfinite(value)) return 0;
    const double position = std::nearbyint((value - slider.minimum) / slider.step);
    return static_cast<int>(std::clamp(position, 0.0, slider_positions(slider) - 1.0));
}

double slider_value_at(const SliderField& slider, int position) {
    position = std::clamp(position, 0, slider_positions(slider) - 1);
    // Rounded to six decimals, so 0.05 * 47 reads 2.35, not 2.3500000000000001;
    // text and reading are the locale-free ones.
    char text[64];
    format_text(text, sizeof text, "%.6f", {slider.minimum + position * slider.step});
    double value = 0.0;
    read_full_number(text, value);
    return value;
}

std::string slider_value_text(const SliderField& slider, double value) {
    const int decimals = slider.step >= 1.0     ? 0
                         : slider.step >= 0.1   ? 1
                         : slider.step >= 0.01  ? 2
                         : slider.step >= 0.001 ? 3
                                                : 4;
    char text[64];
    // A value far outside every slider's range (typed, or read from a file)
    // reads with its power of ten, not as hundreds of digits.
    if (!(std::fabs(value) < 1e7)) {
        format_text(text, sizeof text, "%g", {value});
        return text;
    }
    format_text(text, sizeof text,
                decimals == 0   ? "%.0f"
                : decimals == 1 ? "%.1f"
                : decimals == 2 ? "%.2f"
                : decimals == 3 ? "%.3f"
                                : "%.4f",
                {value});
    return text;
}

bool apply_slider_value(Records& records, const SliderField& slider, double value) {
    if (&slider == &CAPACITY_SLIDER) {
        if (!(value >= 0.0) || !std::isfinite(value)) return false;
        set_capacity(records, value);
        return true;
    }
    if (const CareField* care = care_field_of(slider)) {
        // As its field reads a typed value: the same range.
        if (check_field_value(care->dialog_field, value) != RefusalReason::None) return false;
        DialogScratch scratch;
        *care->dialog_field.storage(records, scratch) = value;
        return true;
    }
    TypedField typed;
    if (!find_editable_field(slider.name, typed)) return false;
    append_shortest(typed.text, value);
    Records trial;
    static_cast<Scenario&>(trial) = records;
    trial.scale = records.scale;
    SetupRefusal refused;
    if (!apply_typed_fields(trial, std::span<const TypedField>(&typed, 1), refused)) return false;
    static_cast<Scenario&>(records) = trial;
    records.scale = trial.scale;
    return true;
}

void slider_moved(CommandContext& context, Explorer& explorer, const SliderField& slider,
                  double value, bool released) {
    Records& records = context.records;
    if (!apply_slider_value(records, slider, value)) return;
    if (records.mode < 0) records.mode = MODE_NO_INTERVENTION;
    if (released) {
        const ExplorerFedByRuns fed(context, explorer);
        run_current_mode(context);  // repaints
    } else {
        explorer.run_without_trace(
            records, [&context](const std::function<void()>& a, const std::function<void()>& b) {
                context.front_end.run_both(a, b);
            });
        context.front_end.repaint();
    }
    explorer.read_out_step = std::min(explorer.read_out_step, shown_rows(records) - 1);
    if (!explorer.view.classic && explorer.view.fit_after_run) {
        explorer.sync(records);
        if (fit_axes(records, explorer)) context.front_end.repaint();
    }
}

}  // namespace morbilex
