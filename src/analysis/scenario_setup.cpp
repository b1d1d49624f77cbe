#include "analysis/scenario_setup.h"

#include <algorithm>
#include <array>

#include "shell/quoted_text.h"

namespace morbilex {
namespace {

// Control ids of the dialogs lie in 200..239; a table of texts over them
// keeps a scenario's set-up free of allocations.
constexpr int FIRST_CONTROL_ID = 200;
constexpr int CONTROL_ID_SPAN = 40;

// A dialog without a window: what it shows and what is typed, by control id.
class TypedControls : public DialogControls {
public:
    void set_text(int control_id, const char* text) override { slot(control_id) = text; }
    std::string get_text(int control_id) override {
        return slot(control_id).substr(0, DIALOG_TEXT_CAPACITY - 1);
    }

private:
    std::string& slot(int control_id) {
        const int index = control_id - FIRST_CONTROL_ID;
        return index >= 0 && index < CONTROL_ID_SPAN ? texts_[index] : other_;
    }
    std::array<std::string, CONTROL_ID_SPAN> texts_;
    std::string other_;
};

}  // namespace

bool find_editable_field(std::string_view name, TypedField& found) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order > 0 && name == field.name) {
                found = {kind, &field, {}};
                return true;
            }
        }
    }
    return false;
}

bool apply_typed_fields(Records& records, std::span<const TypedField> typed,
                        SetupRefusal& refused) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        const auto in_dialog = [kind](const TypedField& field) { return field.dialog == kind; };
        if (std::none_of(typed.begin(), typed.end(), in_dialog)) continue;  // stays closed
        const DialogTable& table = dialog_table(kind);
        TypedControls controls;
        show_dialog_fields(table, records, controls);
        for (const TypedField& field : typed) {
            if (in_dialog(field)) controls.set_text(field.field->control_id, field.text.c_str());
        }
        if (accept_dialog(table, records, controls, &refused.refusal) == AcceptResult::Refused) {
            refused.table = &table;
            return false;
        }
    }
    return true;
}

ScenarioRefusal refused_field(const SetupRefusal& refused, std::span<const TypedField> typed,
                              long long run_id) {
    ScenarioRefusal told;
    told.run_id = run_id;
    told.field = find_field(*refused.table, refused.refusal.control_id);
    told.reason = refused.refusal.reason;
    // Typed twice, the later text is the one the dialog saw.
    for (const TypedField& candidate : typed) {
        if (candidate.field != told.field) continue;
        told.typed = true;
        told.text = candidate.text;
    }
    return told;
}

void reset_scenario_fields(Records& records) {
    static_cast<Scenario&>(records) = Scenario{};
    records.scale = AxisScale{};
    records.rates = RateConstants{};
}

ScenarioInputs scenario_inputs_of(const Records& records, InterventionMode mode) {
    return {records, mode};
}

const char* refusal_words(RefusalReason reason) {
    return refusal_reason_text(reason);
}

std::string refused_field_text(const ScenarioRefusal& refusal) {
    return std::string(refusal.field != nullptr ? refusal.field->name : "?") + "=" +
           (refusal.typed ? shown_text(refusal.text) : "(as shown)") +
           " refused: " + refusal_words(refusal.reason);
}

std::string refused_run_text(const ScenarioRefusal& refusal) {
    const std::string run = "run_id " + std::to_string(refusal.run_id) + ": ";
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable)
        return run + "the run cannot integrate these values";
    return run + refused_field_text(refusal);
}

bool fits_field(std::string_view text) {
    return text.size() < DIALOG_TEXT_CAPACITY;
}

std::string too_long_field_text(std::string_view name) {
    return std::string(name) + ": longer than the " + std::to_string(DIALOG_TEXT_CAPACITY - 1) +
           " characters a field holds";
}

}  // namespace morbilex
