// A dialog without a window: control texts in a map, typed and read by id.
#pragma once

#include <map>
#include <string>

#include "shell/dialogs.h"

namespace morbilex::testing {

class FakeControls : public DialogControls {
public:
    void set_text(int control_id, const char* text) override { texts[control_id] = text; }
    // As the platform hands it out: at most 63 characters.
    std::string get_text(int control_id) override {
        return texts[control_id].substr(0, DIALOG_TEXT_CAPACITY - 1);
    }
    std::map<int, std::string> texts;
};

// A dialog as the user sees it right after it opened.
struct OpenDialog {
    OpenDialog(DialogKind kind, Records& records) : table(dialog_table(kind)), records(records) {
        show_dialog_fields(table, records, controls);
    }
    OpenDialog& type(int control_id, const std::string& text) {
        controls.texts[control_id] = text;
        return *this;
    }
    AcceptResult press_ok() { return accept_dialog(table, records, controls, &refusal); }
    const std::string& shown(int control_id) { return controls.texts[control_id]; }

    const DialogTable& table;
    Records& records;
    FakeControls controls;
    Refusal refusal;
};

}  // namespace morbilex::testing
