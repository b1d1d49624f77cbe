// The four editing dialogs as tables, and the protocol every dialog follows:
// open (format each field), accept (read in order, test, post-process), cancel.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "model/records.h"

namespace morbilex {

inline constexpr int DIALOG_TEXT_CAPACITY = 64;  // 63 characters and a terminator
inline constexpr int CONTROL_ID_OK = 1;
inline constexpr int CONTROL_ID_CANCEL = 2;
inline constexpr int CONTROL_ID_HELP = 9;
inline constexpr int CONTROL_ID_LABEL = -1;

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

// One displayed value: the control that shows it, its format, where it lives
// and when it is read back (0: shown only).
struct FieldSpec {
    int control_id;
    const char* label;
    const char* display_format;
    int read_order;
    double (*shown_value)(const Records&);
    double* (*storage)(Records&, DialogScratch&);
};

enum class DialogKind { ModelParameters, OneTimePlan, IntermittentPlan, AxisScale };

struct DialogTable {
    DialogKind kind;
    const char* template_name;  // "Cng_Para0", ...
    const char* title;
    int x, y, width, height;
    std::uint32_t style;
    std::span<const ControlSpec> controls;  // template order = tab order
    std::span<const FieldSpec> fields;      // display order
    // Tests that run after every field was read; false refuses the OK.
    bool (*acceptance_test)(const Records&, const DialogScratch&);
    // Repairs applied after an accepted OK.
    void (*post_process)(Records&, const DialogScratch&);
};

const DialogTable& dialog_table(DialogKind kind);

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

// OK pressed: reads the fields in read order straight into the records; a field
// that is empty, has no leading number, is not finite or (for the periods) is
// not above zero refuses the OK at once, leaving the fields read before it
// stored. Then the acceptance tests, then the post-processing.
AcceptResult accept_dialog(const DialogTable& table, Records& records, DialogControls& controls);

// The text a field shows for a value: its display format, bounded so that it
// always fits the 64-character buffer and reads back to the same value.
std::string display_text(const char* display_format, double value);

}  // namespace morbilex
