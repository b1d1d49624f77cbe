// The sliders: one table of the fields a slider moves, each with its range and
// step, stored where its dialog stores it (the dialog's FieldSpec) and set as
// if typed into that dialog and confirmed with OK, so that dialogs and sliders
// always agree and get the same repairs.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "explore/explorer.h"
#include "model/records.h"
#include "shell/commands.h"
#include "shell/dialogs.h"

namespace morbilex {

struct SliderField {
    const char* name;  // the dialog field's name: "R_0", "T_max", "Redct1", ...
    const char* label;
    double minimum;
    double maximum;
    double step;
    InterventionMode mode;  // the schedule it belongs to; MODE_NO_INTERVENTION: every mode
};

// Every slider, the model's first, then the one-time plan's and the intermittent's.
std::span<const SliderField> slider_fields();
// The sliders of a mode: the model's, and those of the mode's schedule.
std::vector<const SliderField*> sliders_for_mode(InterventionMode mode);

// The care layer's sliders (its five fields), apart from the dialogs' ones.
std::span<const SliderField> care_slider_fields();
// The capacity's slider: at 0 the capacity is off, above it set (on the
// series the records hold it against).
const SliderField& capacity_slider_field();
// The sliders the panel shows for the records: those of the mode on screen
// (no intervention before any run), then the care layer's while it is on,
// then the capacity's.
std::vector<const SliderField*> sliders_shown(const Records& records);

// The dialog and field a slider edits (never null for the table's sliders;
// a care slider's field has no dialog, and dialog is left alone).
const FieldSpec* slider_field_spec(const SliderField& slider, DialogKind* dialog = nullptr);
// The value the field's dialog would show now.
double slider_value(const Records& records, const SliderField& slider);

// Positions 0..slider_positions()-1 stand for minimum + position * step.
int slider_positions(const SliderField& slider);
int slider_position_of(const SliderField& slider, double value);
double slider_value_at(const SliderField& slider, int position);
// The value as the number beside the slider shows it: with the step's
// decimals, or from ten million on as 1e+07.
std::string slider_value_text(const SliderField& slider, double value);

// Every field the dialogs edit, as the explorer shows it in groups (one a
// dialog): with its slider, or typed only.
struct FieldGroup {
    DialogKind dialog;
    const char* title;
    InterventionMode mode;  // the schedule it belongs to; MODE_NO_INTERVENTION: every mode
    bool care = false;      // the care layer's fields, not a dialog's (dialog unused)
    bool capacity = false;  // the capacity's field, not a dialog's (dialog unused)
};
std::span<const FieldGroup> field_groups();

struct ExplorerField {
    DialogKind dialog;
    const FieldSpec* field;
    const SliderField* slider;  // nullptr: no slider moves it
    // The slider's label, or for a field without one its dialog's label with
    // the unit: "R(0) (persons)".
    std::string label;
    std::string default_text;  // its value before anything is typed, shortest
    bool care = false;         // a care layer's field (in the care group)
    bool capacity = false;     // the capacity's field (in its own group): empty or 0 is off
};
// In dialog order: the model's, the one-time plan's, the intermittent's, the
// scale's; then the care layer's, then the capacity's.
std::vector<ExplorerField> explorer_fields();

// The capacity's field typed: empty, or a number of persons 0 or more (0 and
// empty turn it off); false with the records untouched and the refusal's
// words otherwise. Its series stays as it was.
bool apply_capacity_text(Records& records, std::string_view text, std::string& refusal);

// Sets the field as its dialog would after typing the value and OK; false,
// with the records untouched, when the dialog refuses it.
bool apply_slider_value(Records& records, const SliderField& slider, double value);

// A slider moved: the value set, the run of the mode on screen (the first run
// before any, of no intervention) made without a trace while dragging, or with
// its trace and reports once released; then the axes fitted when the
// explorer fits after every run, and a repaint.
void slider_moved(CommandContext& context, Explorer& explorer, const SliderField& slider,
                  double value, bool released);

}  // namespace morbilex
