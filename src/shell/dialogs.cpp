// The protocol every editing dialog follows, over its table.
#include "shell/dialogs.h"

#include <string_view>
#include <utility>

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

// "2,5" or "1,000": whole digits, then a comma and a digit. scanf would stop
// at the comma and read 2 or 1; the text means something else.
bool has_decimal_comma(std::string_view text) {
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string_view::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    return i > digits && i + 1 < text.size() && text[i] == ',' && text[i + 1] >= '0' &&
           text[i + 1] <= '9';
}

}  // namespace

RefusalReason read_field_text(const FieldSpec& field, std::string_view text, double& value) {
    if (text.size() > LONGEST_FIELD_TEXT) text = text.substr(0, LONGEST_FIELD_TEXT);
    if (text.empty()) return RefusalReason::EmptyField;
    if (!read_leading_number(text, value)) return RefusalReason::NoNumber;
    if (has_decimal_comma(text)) return RefusalReason::DecimalComma;
    return check_field_value(field, value);
}

RefusalReason check_field_value(const FieldSpec& field, double value) {
    switch (field.range) {
        case FieldRange::AboveZero:
            if (!(value > 0.0 && shows_above_zero(field, value)))
                return RefusalReason::NotAboveZero;
            break;
        case FieldRange::Fraction:
            if (!(value >= 0.0 && value <= 1.0)) return RefusalReason::NotAFraction;
            break;
        case FieldRange::Any:
            break;
    }
    return RefusalReason::None;
}

const char* refusal_reason_text(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::EmptyField:
            return "the field is empty";
        case RefusalReason::NoNumber:
            return "no finite number at the start of the text";
        case RefusalReason::NotAboveZero:
            return "a period must be above zero also as shown (0.005 or more)";
        case RefusalReason::NegativeValue:
            return "an initial value must not be negative";
        case RefusalReason::DecimalComma:
            return "a decimal comma: write the decimal point (2.5, not 2,5)";
        case RefusalReason::NotAFraction:
            return "a reduction is a fraction from 0 to 1 (0.8 removes 80 %)";
        case RefusalReason::None:
            break;
    }
    return "refused";
}

std::string refusal_line(const DialogTable& table, const Refusal& refusal) {
    if (refusal.reason == RefusalReason::None) return {};
    std::string line;
    if (const FieldSpec* field = find_field(table, refusal.control_id)) {
        line = field->label;
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        line += ": ";
    }
    return line + refusal_reason_text(refusal.reason);
}

ControlSpec refusal_line_control(const DialogTable& table) {
    int buttons_top = table.height;
    for (const ControlSpec& control : table.controls) {
        if (control.control_class == ControlClass::Button && control.y < buttons_top)
            buttons_top = control.y;
    }
    return {CONTROL_ID_REFUSAL_LINE, ControlClass::Static, "", 10,
            buttons_top + 2,         table.width - 20,     10, REFUSAL_LINE_STYLE};
}

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
    // Every field is read before any is stored; the acceptance tests see the
    // new values in the records, which get their old ones back on a refusal.
    struct ReadField {
        double* storage;
        double value;
    };
    ReadField read[DIALOG_FIELD_LIMIT];
    std::size_t count = 0;
    Refusal outcome;
    DialogScratch scratch;
    for (int order = 1; const FieldSpec* field = field_read_at(table, order); ++order) {
        double value = 0.0;
        const RefusalReason reason =
            read_field_text(*field, controls.get_text(field->control_id), value);
        if (reason != RefusalReason::None) {
            outcome = {field->control_id, reason};
            break;
        }
        read[count++] = {field->storage(records, scratch), value};
    }
    if (outcome.reason == RefusalReason::None) {
        for (std::size_t i = 0; i < count; ++i)
            std::swap(*read[i].storage, read[i].value);
        if (table.acceptance_test != nullptr) outcome = table.acceptance_test(records, scratch);
        if (outcome.reason != RefusalReason::None) {
            for (std::size_t i = count; i-- > 0;)
                *read[i].storage = read[i].value;
        }
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
        return {accepted, accepted, DIALOG_RESULT_OK, accepted ? 0 : refusal.control_id,
                refusal.reason};
    }
    if (control_id == CONTROL_ID_CANCEL) return {true, true, DIALOG_RESULT_CANCEL};
    return {false, false, 0};
}

}  // namespace morbilex
