// The four editing dialogs as tables, and the protocol every dialog follows:
// open (format each field), accept (read in order, test, post-process), cancel.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/records.h"

namespace morbilex {

inline constexpr int DIALOG_TEXT_CAPACITY = 64;  // 63 characters and a terminator
inline constexpr int CONTROL_ID_OK = 1;
inline constexpr int CONTROL_ID_CANCEL = 2;
inline constexpr int CONTROL_ID_HELP = 9;
inline constexpr int CONTROL_ID_LABEL = -1;
// The line under the fields that tells why an OK was refused (explorer view).
inline constexpr int CONTROL_ID_REFUSAL_LINE = 240;
// The most fields a dialog reads back.
inline constexpr int DIALOG_FIELD_LIMIT = 16;

// What a dialog's opener returns.
inline constexpr int DIALOG_RESULT_OK = 0;
inline constexpr int DIALOG_RESULT_CANCEL = 1;  // also when the dialog cannot be shown

// Window styles of the templates.
inline constexpr std::uint32_t DIALOG_STYLE =
    0x90c80080;  // popup, visible, caption, system menu, modal frame
inline constexpr std::uint32_t LABEL_STYLE = 0x50020002;           // static, group, right-aligned
inline constexpr std::uint32_t CENTRED_STATIC_STYLE = 0x50020001;  // static, group, centred
inline constexpr std::uint32_t EDIT_STYLE = 0x50810000;            // border, tab stop, left-aligned
inline constexpr std::uint32_t DEFAULT_BUTTON_STYLE = 0x50010001;  // default push button, tab stop
inline constexpr std::uint32_t BUTTON_STYLE = 0x50010000;          // push button, tab stop

enum class ControlClass { Static, Edit, Button };

// One control of a dialog template, in dialog units.
struct ControlSpec {
    int id;
    ControlClass control_class;
    const char* text;
    int x, y, width, height;
    std::uint32_t style;
};

// Values a dialog edits that are not fields of the records (the model
// dialog's T_max).
struct DialogScratch {
    double T_max = 0.0;
};

// Which values a field takes besides any finite number.
enum class FieldRange {
    Any,
    AboveZero,  // the periods: the run divides by them
    Fraction,   // the reductions: a share of transmission, 0 to 1
};

// One displayed value: the control that shows it, its format, where it lives
// and when it is read back (0: shown only).
struct FieldSpec {
    int control_id;
    const char* label;
    const char* display_format;
    int read_order;
    double (*shown_value)(const Records&);
    double* (*storage)(Records&, DialogScratch&);
    const char* name;  // the field's own name: "R_0", "T_max", "Redct1", "xmin", ...
    FieldRange range;
};

enum class DialogKind { ModelParameters, OneTimePlan, IntermittentPlan, AxisScale };
inline constexpr DialogKind ALL_DIALOG_KINDS[] = {
    DialogKind::ModelParameters, DialogKind::OneTimePlan, DialogKind::IntermittentPlan,
    DialogKind::AxisScale};

// Why an OK was refused, and at which control.
enum class RefusalReason {
    None,
    EmptyField,     // nothing typed
    NoNumber,       // no finite number at the start of the text
    NotAboveZero,   // a period that is, or shows as, zero or below
    NegativeValue,  // an initial value below zero (acceptance test)
    DecimalComma,   // "2,5": a decimal comma where the point belongs
    NotAFraction,   // a reduction outside 0 to 1
};

// What a refusal means, in a few words ("the field is empty", ...): the one
// table of reasons that both programs and morbilex-batch show.
const char* refusal_reason_text(RefusalReason reason);

struct Refusal {
    int control_id = 0;
    RefusalReason reason = RefusalReason::None;
};

struct DialogTable {
    DialogKind kind;
    const char* template_name;  // "Cng_Para0", ...
    const char* title;
    int x, y, width, height;
    std::uint32_t style;
    std::span<const ControlSpec> controls;  // template order = tab order
    std::span<const FieldSpec> fields;      // display order
    // Tests that run after every field was read; a refusal with control_id 0
    // passes. nullptr: no tests.
    Refusal (*acceptance_test)(const Records&, const DialogScratch&);
    // Repairs applied after an accepted OK; nullptr: none.
    void (*post_process)(Records&, const DialogScratch&);
};

const DialogTable& dialog_table(DialogKind kind);

// The field shown in this control, or nullptr.
const FieldSpec* find_field(const DialogTable& table, int control_id);

// The line a dialog of the explorer view shows under its fields after a
// refused OK: the refusing field's label, then the reason. Empty for no refusal.
std::string refusal_line(const DialogTable& table, const Refusal& refusal);

// How the protocol reaches a dialog's controls.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual void set_text(int control_id, const char* text) = 0;
    // The control's text, as the platform hands out at most 63 characters.
    virtual std::string get_text(int control_id) = 0;
};

// Opening: every displayed field formatted into its control.
void show_dialog_fields(const DialogTable& table, const Records& records, DialogControls& controls);

enum class AcceptResult { Accepted = 0, Refused = 1 };

// OK pressed: reads the fields in read order; a field that is empty, has no
// leading number, is not finite, has a decimal comma, is (for the periods) not
// above zero or (for the reductions) outside 0 to 1 refuses the OK. Then the
// acceptance tests, then the post-processing. All fields are stored or, after
// a refusal, none: the records stay as they were. When refusal is given it
// tells which control refused and why.
AcceptResult accept_dialog(const DialogTable& table, Records& records, DialogControls& controls,
                           Refusal* refusal = nullptr);

// What the dialog procedure does with the control id of a command: OK runs
// the accept sequence (closing with DIALOG_RESULT_OK when accepted), Cancel
// closes with DIALOG_RESULT_CANCEL and restores nothing, every other id (Help
// included) does nothing. handled is the procedure's return value; a refused
// OK names the control that refused, for the dialog to put the focus there.
struct DialogCommandOutcome {
    bool handled;
    bool close;
    int result;
    int refused_control = 0;
    RefusalReason refused_reason = RefusalReason::None;
};
DialogCommandOutcome dialog_command(const DialogTable& table, Records& records,
                                    DialogControls& controls, int control_id);

// Reads a field's text as OK does, into value: the first 63 characters (what
// the control hands out), a number at their start as "%lf" reads it and
// whatever follows it ignored ("3 days" is 3), then check_field_value. The
// reason when the text is refused. Every reader of a field's text (the
// dialogs, the options, scenario files) takes and refuses the same texts.
RefusalReason read_field_text(const FieldSpec& field, std::string_view text, double& value);

// Whether value is one the field takes (its range, and for a period that it
// also shows above zero); the reason when it is not.
RefusalReason check_field_value(const FieldSpec& field, double value);

// The explorer view's dialogs are REFUSAL_LINE_ROOM dialog units taller: the
// buttons move down by that much and the refusal line takes their row.
inline constexpr int REFUSAL_LINE_ROOM = 16;
inline constexpr std::uint32_t REFUSAL_LINE_STYLE = 0x50020000;  // static, group, left-aligned
ControlSpec refusal_line_control(const DialogTable& table);

// The text a field shows for a value: its display format, bounded so that it
// always fits the 64-character buffer and reads back to the same value.
std::string display_text(const char* display_format, double value);

// n_steps for a duration in days: whole days, then whole steps, kept within
// -MAX_STEPS..MAX_STEPS (every negative count means no step).
int steps_for_duration(double T_max, double dt);

}  // namespace morbilex
