// The protocol every editing dialog follows, over its table.
#include "shell/dialogs.h"

#include "text/format.h"
#include "text/read.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

constexpr std::size_t LONGEST_FIELD_TEXT = DIALOG_TEXT_CAPACITY - 1;

const FieldSpec* field_read_at(const DialogTable& table, int read_order) {
    for (const FieldSpec& field : table.fields) {
        if (field.read_order == read_order) return &field;
    }
    return nullptr;
}

// Whether the field's text for value reads back above zero: a period shown as
// "0.00" would be refused at the next OK with nothing the user could see.
bool shows_above_zero(const FieldSpec& field, double value) {
    double shown = 0.0;
    return read_leading_number(display_text(field.display_format, value), shown) && shown > 0.0;
}

// Reads one field as "%lf" would, into value; the reason when it cannot.
RefusalReason read_field(const FieldSpec& field, DialogControls& controls, double& value) {
    std::string text = controls.get_text(field.control_id);
    if (text.size() > LONGEST_FIELD_TEXT) text.resize(LONGEST_FIELD_TEXT);
    if (text.empty()) return RefusalReason::EmptyField;
    if (!read_leading_number(text, value)) return RefusalReason::NoNumber;
    if (field.must_be_above_zero && !(value > 0.0 && shows_above_zero(field, value))) {
        return RefusalReason::NotAboveZero;
    }
    return RefusalReason::None;
}

}  // namespace

const FieldSpec* find_field(const DialogTable& table, int control_id) {
    for (const FieldSpec& field : table.fields) {
        if (field.control_id == control_id) return &field;
    }
    return nullptr;
}

std::string display_text(const char* display_format, double value) {
    char text[DIALOG_TEXT_CAPACITY];
    const std::size_t length = format_text(text, sizeof text, display_format, {value});
    if (length <= LONGEST_FIELD_TEXT) return text;
    // Too long for the field (fixed point of a huge magnitude): the shortest
    // text that reads back to the very same value.
    return std::string(text, write_shortest(text, value));
}

void show_dialog_fields(const DialogTable& table, const Records& records,
                        DialogControls& controls) {
    for (const FieldSpec& field : table.fields) {
        const std::string text = display_text(field.display_format, field.shown_value(records));
        controls.set_text(field.control_id, text.c_str());
    }
}

AcceptResult accept_dialog(const DialogTable& table, Records& records, DialogControls& controls,
                           Refusal* refusal) {
    Refusal outcome;
    DialogScratch scratch;
    for (int order = 1; const FieldSpec* field = field_read_at(table, order); ++order) {
        double value = 0.0;
        const RefusalReason reason = read_field(*field, controls, value);
        if (reason != RefusalReason::None) {
            outcome = {field->control_id, reason};
            break;
        }
        *field->storage(records, scratch) = value;
    }
    if (outcome.reason == RefusalReason::None && table.acceptance_test != nullptr) {
        outcome = table.acceptance_test(records, scratch);
    }
    if (refusal != nullptr) *refusal = outcome;
    if (outcome.reason != RefusalReason::None) return AcceptResult::Refused;
    if (table.post_process != nullptr) table.post_process(records, scratch);
    return AcceptResult::Accepted;
}

DialogCommandOutcome dialog_command(const DialogTable& table, Records& records,
                                    DialogControls& controls, int control_id) {
    if (control_id == CONTROL_ID_OK) {
        Refusal refusal;
        const bool accepted =
            accept_dialog(table, records, controls, &refusal) == AcceptResult::Accepted;
        return {accepted, accepted, DIALOG_RESULT_OK, accepted ? 0 : refusal.control_id};
    }
    if (control_id == CONTROL_ID_CANCEL) return {true, true, DIALOG_RESULT_CANCEL};
    return {false, false, 0};
}

}  // namespace morbilex
