// A scenario set up as the user would: fields typed into the dialogs, each
// dialog accepted as after OK (model, one-time, intermittent, scale, in that
// order), so a single run and a sweep's row always see the same repairs.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "analysis/run_figures.h"
#include "model/records.h"
#include "shell/dialogs.h"

namespace morbilex {

// A field as the user typed it.
struct TypedField {
    DialogKind dialog;
    const FieldSpec* field;
    std::string text;
    // Typed from a scenario file: an option, a sweep or a table may type
    // over it, as it may over a field the dialog only shows.
    bool from_scenario_file = false;
};

// The editable field of any dialog with this name, with an empty text.
bool find_editable_field(std::string_view name, TypedField& found);

// Where an OK was refused: the dialog's table and its refusal.
struct SetupRefusal {
    const DialogTable* table = nullptr;
    Refusal refusal;
};

// Why a scenario cannot run: a dialog refused one of its fields on OK, or
// the dialogs took every field but the run cannot integrate the values.
struct ScenarioRefusal {
    enum class Cause { FieldRefused, NotIntegrable };
    Cause cause = Cause::FieldRefused;
    long long run_id = 0;
    const FieldSpec* field = nullptr;  // the refused field (nullptr: not in the table)
    bool typed = false;                // false: the text the dialog shows was refused
    std::string text;                  // as typed
    RefusalReason reason = RefusalReason::None;
};

// The field refusal behind refused, with the text typed for that field.
ScenarioRefusal refused_field(const SetupRefusal& refused, std::span<const TypedField> typed,
                              long long run_id);

// Opens each dialog with typed fields, types them and presses OK. Fields of a
// dialog that are not typed keep the text the dialog shows. On a refusal the
// dialogs after it stay unopened and refused says where.
bool apply_typed_fields(Records& records, std::span<const TypedField> typed, SetupRefusal& refused);

// The records a scenario starts from: the defaults of every field the dialogs
// edit and of the rates, without touching the result table.
void reset_scenario_fields(Records& records);

// What a run of this mode reads from the records.
ScenarioInputs scenario_inputs_of(const Records& records, InterventionMode mode);

// What a refusal means, in a few words.
const char* refusal_words(RefusalReason reason);

// A refused field as every front end words it: NAME=TEXT refused: WHY, with
// "(as shown)" for a field left as its dialog shows it.
std::string refused_field_text(const ScenarioRefusal& refusal);
// A refused scenario of a sweep: run_id N: NAME=TEXT refused: WHY, or that
// the run cannot integrate its values.
std::string refused_run_text(const ScenarioRefusal& refusal);

// Whether a typed text fits the field it is typed into (the dialogs hold 63
// characters); a longer text is refused whole, never cut.
bool fits_field(std::string_view text);
// NAME: longer than the 63 characters a field holds
std::string too_long_field_text(std::string_view name);

}  // namespace morbilex
