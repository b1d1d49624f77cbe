// The four editing dialogs: resource templates run by DialogBoxParamA, with
// procedures that hand every step to the shared dialog protocol.
#include <string>
#include <vector>

#include "explore/field_help.h"
#include "explore/user_guide.h"
#include "explore/view_commands.h"
#include "shell/dialog_layout.h"
#include "shell/messages.h"
#include "win32/explorer_window.h"
#include "win32/program.h"

namespace morbilex {

namespace {

// The protocol's view of a dialog's controls.
class Win32DialogControls final : public DialogControls {
public:
    explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}

    void set_text(int control_id, const char* text) override {
        SetDlgItemTextA(dialog_, control_id, text);
    }
    std::string get_text(int control_id) override {
        char buffer[DIALOG_TEXT_CAPACITY] = {};
        GetDlgItemTextA(dialog_, control_id, buffer, DIALOG_TEXT_CAPACITY);
        buffer[DIALOG_TEXT_CAPACITY - 1] = '\0';
        return buffer;
    }

private:
    HWND dialog_;
};

bool has_class(HWND window, const char* class_name) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, class_name) == 0;
}

RECT rectangle_in_dialog(HWND dialog, HWND control) {
    RECT area;
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

ControlArea control_area(const RECT& area) {
    return {static_cast<int>(area.left), static_cast<int>(area.top), static_cast<int>(area.right),
            static_cast<int>(area.bottom)};
}

// A right-aligned label that reaches under the field beside it (the scale
// dialog's templates do) ends where the field begins.
void end_labels_before_fields(HWND dialog) {
    std::vector<ControlArea> fields;
    for (HWND field = GetWindow(dialog, GW_CHILD); field; field = GetWindow(field, GW_HWNDNEXT)) {
        if (has_class(field, "Edit"))
            fields.push_back(control_area(rectangle_in_dialog(dialog, field)));
    }
    for (HWND label = GetWindow(dialog, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
        if (!has_class(label, "Static")) continue;
        const RECT area = rectangle_in_dialog(dialog, label);
        const int right = label_right_before_fields(control_area(area), fields, 0);
        if (right != area.right) {
            SetWindowPos(label, nullptr, area.left, area.top, right - area.left,
                         area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

// Help and F1 in a dialog: the guide window, opened beside the dialog at the
// dialog's section (the window stays usable while the dialog holds its owner).
class DialogHelpHost final : public ExplorerHost {
public:
    // section: the heading the guide shows first (the guide window finds a
    // section by its heading's text).
    DialogHelpHost(HWND dialog, std::string_view section) : dialog_(dialog), section_(section) {}
    void copy_text(const std::string&) override {}
    void show_user_guide() override { show_user_guide_at({}); }
    void show_user_guide_at(const std::string&) override {
        HWND owner = GetWindow(dialog_, GW_OWNER);
        if (MainWindowState* state = owner != nullptr ? main_window_state(owner) : nullptr)
            show_user_guide_window(owner, *state, section_);
    }
    void view_options_changed() override {}

private:
    HWND dialog_;
    std::string_view section_;
};

void show_help_of(DialogKind kind, HWND dialog) {
    DialogHelpHost host(dialog, dialog_guide_section(kind));
    show_dialog_help(user_interface_state().view, host, kind);
}

// The explorer view's dialog: taller by the refusal line's room, the buttons
// moved down by it and the line where they stood.
void add_refusal_line(HWND dialog, const DialogTable& table) {
    RECT room = {0, 0, 0, REFUSAL_LINE_ROOM};
    MapDialogRect(dialog, &room);
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + room.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlSpec& control : table.controls) {
        if (control.control_class != ControlClass::Button) continue;
        HWND button = GetDlgItem(dialog, control.id);
        const RECT area = rectangle_in_dialog(dialog, button);
        SetWindowPos(button, nullptr, area.left, area.top + room.bottom, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const ControlSpec control = refusal_line_control(table);
    RECT line = {control.x, control.y, control.x + control.width, control.y + control.height + 6};
    MapDialogRect(dialog, &line);
    HWND created =
        CreateWindowExA(0, "STATIC", "", control.style, line.left, line.top, line.right - line.left,
                        line.bottom - line.top, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(CONTROL_ID_REFUSAL_LINE)),
                        user_interface_state().instance_handle, nullptr);
    SendMessageA(created, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
}

INT_PTR dialog_protocol(DialogKind kind, HWND dialog, UINT message, WPARAM wParam) {
    const DialogTable& table = dialog_table(kind);
    Win32DialogControls controls(dialog);
    if (message == WM_INITDIALOG) {
        end_labels_before_fields(dialog);
        if (!user_interface_state().view.classic) add_refusal_line(dialog, table);
        // Each field tells what it means and in which unit when the pointer rests on it.
        HWND tooltip = create_tooltip(dialog);
        for (const FieldSpec& field : table.fields) {
            HWND control = GetDlgItem(dialog, field.control_id);
            add_tooltip(tooltip, dialog, control, field_tip(field.name));
            // The labels stand before all fields in the template: each field's own name.
            set_accessible_name(control, accessible_field_name(field.name));
        }
        show_dialog_fields(table, program_records(), controls);
        return TRUE;
    }
    if (message == WM_HELP) {
        show_help_of(kind, dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == CONTROL_ID_HELP) show_help_of(kind, dialog);
    const DialogCommandOutcome outcome =
        dialog_command(table, program_records(), controls, LOWORD(wParam));
    // The refusing field takes the focus with its text selected, as the
    // dialog manager does for the next control; the explorer view says why.
    if (LOWORD(wParam) == CONTROL_ID_OK && GetDlgItem(dialog, CONTROL_ID_REFUSAL_LINE)) {
        const std::string line =
            refusal_line(table, {outcome.refused_control, outcome.refused_reason});
        SetDlgItemTextA(dialog, CONTROL_ID_REFUSAL_LINE, line.c_str());
    }
    if (outcome.refused_control != 0) {
        if (HWND field = GetDlgItem(dialog, outcome.refused_control)) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        }
    }
    if (outcome.close) EndDialog(dialog, outcome.result);
    return outcome.handled ? TRUE : FALSE;
}

int run_dialog(DialogKind kind, HWND owner, DLGPROC procedure) {
    INT_PTR result = DialogBoxParamA(user_interface_state().instance_handle,
                                     dialog_table(kind).template_name, owner, procedure, 0);
    if (result == -1) {
        MessageBoxA(owner, DIALOG_FAILURE_TEXT, DIALOG_FAILURE_CAPTION, MB_ICONERROR);
        PostQuitMessage(0);
        return DIALOG_RESULT_CANCEL;
    }
    return static_cast<int>(result);
}

}  // namespace

INT_PTR CALLBACK model_parameters_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return dialog_protocol(DialogKind::ModelParameters, dialog, message, wParam);
}

INT_PTR CALLBACK one_time_plan_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return dialog_protocol(DialogKind::OneTimePlan, dialog, message, wParam);
}

INT_PTR CALLBACK intermittent_plan_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return dialog_protocol(DialogKind::IntermittentPlan, dialog, message, wParam);
}

INT_PTR CALLBACK axis_scale_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return dialog_protocol(DialogKind::AxisScale, dialog, message, wParam);
}

int edit_model_parameters(HWND owner) {
    return run_dialog(DialogKind::ModelParameters, owner, model_parameters_proc);
}

int edit_one_time_plan(HWND owner) {
    return run_dialog(DialogKind::OneTimePlan, owner, one_time_plan_proc);
}

int edit_intermittent_plan(HWND owner) {
    return run_dialog(DialogKind::IntermittentPlan, owner, intermittent_plan_proc);
}

int edit_axis_scale(HWND owner) {
    return run_dialog(DialogKind::AxisScale, owner, axis_scale_proc);
}

int open_dialog(DialogKind kind, HWND owner) {
    switch (kind) {
        case DialogKind::ModelParameters:
            return edit_model_parameters(owner);
        case DialogKind::OneTimePlan:
            return edit_one_time_plan(owner);
        case DialogKind::IntermittentPlan:
            return edit_intermittent_plan(owner);
        case DialogKind::AxisScale:
            return edit_axis_scale(owner);
    }
    return DIALOG_RESULT_CANCEL;
}

}  // namespace morbilex
