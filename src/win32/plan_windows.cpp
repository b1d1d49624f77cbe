#include "win32/plan_windows.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "text/read.h"
#include "text/shortest.h"
#include "win32/explorer_window.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {

namespace {

constexpr const char* PLAN_CLASS_NAME = "Morbilex_plan";
constexpr const char* FRONT_CLASS_NAME = "Morbilex_plan_front";
constexpr const char* FIT_GUIDE_SECTION = "Fitting the model to observed counts";

// A dialog template made in memory: the dialog's frame, then its controls, in
// dialog units, in the font the other dialogs use.
class DialogTemplate {
public:
    // with_help: a Help button in the caption (WM_HELP, as F1 sends).
    DialogTemplate(const char* caption, short width, short height, bool with_help = false) {
        const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION |
                            WS_SYSMENU | (with_help ? DS_CONTEXTHELP : 0);
        add_dword(style);
        add_dword(0);
        count_at_ = words_.size();
        words_.push_back(0);  // the number of controls
        for (short value : {short(0), short(0), width, height})
            words_.push_back(static_cast<WORD>(value));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard class
        add_text(caption);
        words_.push_back(8);
        add_text("MS Shell Dlg");
    }

    // class_atom: 0x80 button, 0x81 edit, 0x82 static, 0x85 combo box.
    void add(WORD class_atom, const char* text, DWORD style, short x, short y, short width,
             short height, int id) {
        if (words_.size() % 2 != 0) words_.push_back(0);  // controls start on a DWORD
        add_dword(WS_CHILD | WS_VISIBLE | style);
        add_dword(0);
        for (short value : {x, y, width, height})
            words_.push_back(static_cast<WORD>(value));
        words_.push_back(static_cast<WORD>(id));
        words_.push_back(0xFFFF);
        words_.push_back(class_atom);
        add_text(text);
        words_.push_back(0);  // no creation data
        ++words_[count_at_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void add_dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void add_text(const char* text) {
        for (const char* c = text; *c != '\0'; ++c)
            words_.push_back(static_cast<unsigned char>(*c));  // the texts are plain ASCII
        words_.push_back(0);
    }

    std::vector<WORD> words_;
    std::size_t count_at_ = 0;
};

constexpr WORD BUTTON = 0x80;
constexpr WORD EDIT = 0x81;
constexpr WORD STATIC = 0x82;
constexpr WORD COMBO_BOX = 0x85;

std::string dialog_text(HWND dialog, int id) {
    char buffer[256] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

void focus_refused(HWND dialog, int id, const char* caption, const char* reason) {
    MessageBoxA(dialog, reason, caption, MB_OK | MB_ICONWARNING);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

// The series a capacity can hold, in their order (the enumeration's values
// from 0 while they have a name).
std::vector<CapacitySeries> capacity_series_choices() {
    std::vector<CapacitySeries> all;
    for (int k = 0;; ++k) {
        const auto series = static_cast<CapacitySeries>(k);
        if (*capacity_series_name(series) == '\0') break;
        all.push_back(series);
    }
    return all;
}

void follow_capacity_switch(HWND dialog) {
    const bool on = IsDlgButtonChecked(dialog, CAPACITY_ON_ID) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, CAPACITY_VALUE_ID), on);
    EnableWindow(GetDlgItem(dialog, CAPACITY_SERIES_ID), on);
}

INT_PTR CALLBACK capacity_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* capacity = reinterpret_cast<CapacitySetting*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            capacity = reinterpret_cast<CapacitySetting*>(lParam);
            CheckDlgButton(dialog, CAPACITY_ON_ID, capacity->set ? BST_CHECKED : BST_UNCHECKED);
            std::string shown;
            if (capacity->set) append_shortest(shown, capacity->capacity);
            SetDlgItemTextA(dialog, CAPACITY_VALUE_ID, shown.c_str());
            HWND series = GetDlgItem(dialog, CAPACITY_SERIES_ID);
            const std::vector<CapacitySeries> choices = capacity_series_choices();
            for (std::size_t k = 0; k < choices.size(); ++k) {
                SendMessageA(series, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(capacity_series_label(choices[k])));
                if (choices[k] == capacity->series) SendMessageA(series, CB_SETCURSEL, k, 0);
            }
            set_accessible_name(GetDlgItem(dialog, CAPACITY_VALUE_ID), "capacity, persons");
            follow_capacity_switch(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case CAPACITY_ON_ID:
                    follow_capacity_switch(dialog);
                    if (IsDlgButtonChecked(dialog, CAPACITY_ON_ID) == BST_CHECKED) {
                        SendMessageA(
                            dialog, WM_NEXTDLGCTL,
                            reinterpret_cast<WPARAM>(GetDlgItem(dialog, CAPACITY_VALUE_ID)), TRUE);
                    }
                    return TRUE;
                case IDOK: {
                    CapacitySetting chosen = *capacity;
                    chosen.set = IsDlgButtonChecked(dialog, CAPACITY_ON_ID) == BST_CHECKED;
                    if (chosen.set) {
                        double persons = 0.0;
                        if (!read_full_number(dialog_text(dialog, CAPACITY_VALUE_ID), persons) ||
                            !(persons >= 0.0) || persons > 1e300) {
                            focus_refused(dialog, CAPACITY_VALUE_ID, CAPACITY_CAPTION,
                                          "The capacity is a number of persons per 10K, 0 or "
                                          "more.");
                            return TRUE;
                        }
                        chosen.capacity = persons;
                        const LRESULT at =
                            SendDlgItemMessageA(dialog, CAPACITY_SERIES_ID, CB_GETCURSEL, 0, 0);
                        const std::vector<CapacitySeries> choices = capacity_series_choices();
                        if (at >= 0 && at < static_cast<LRESULT>(choices.size()))
                            chosen.series = choices[static_cast<std::size_t>(at)];
                    }
                    *capacity = chosen;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void add_list_items(HWND list, std::span<const char* const> items, int chosen) {
    for (const char* item : items)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

INT_PTR CALLBACK counts_choice_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* choice = reinterpret_cast<CountsChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            choice = reinterpret_cast<CountsChoice*>(lParam);
            std::vector<const char*> columns;
            int chosen = 0;
            for (const std::string& column : choice->columns) {
                if (column == choice->column) chosen = static_cast<int>(columns.size());
                columns.push_back(column.c_str());
            }
            add_list_items(GetDlgItem(dialog, COUNTS_COLUMN_ID), columns, chosen);
            EnableWindow(GetDlgItem(dialog, COUNTS_COLUMN_ID), columns.size() > 1);
            add_list_items(GetDlgItem(dialog, COUNTS_MEASURE_ID), COUNT_MEASURE_LABELS,
                           static_cast<int>(choice->measure));
            SetDlgItemTextA(dialog, COUNTS_POPULATION_ID, choice->population.c_str());
            SetDlgItemTextA(dialog, COUNTS_REPORTING_ID, choice->reporting.c_str());
            SetDlgItemTextA(dialog, COUNTS_DAY_ZERO_ID, choice->day_zero.c_str());
            EnableWindow(GetDlgItem(dialog, COUNTS_DAY_ZERO_ID), choice->dates);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                const LRESULT column =
                    SendDlgItemMessageA(dialog, COUNTS_COLUMN_ID, CB_GETCURSEL, 0, 0);
                if (choice->columns.size() > 1 && column >= 0 &&
                    static_cast<std::size_t>(column) < choice->columns.size())
                    choice->column = choice->columns[static_cast<std::size_t>(column)];
                const LRESULT measure =
                    SendDlgItemMessageA(dialog, COUNTS_MEASURE_ID, CB_GETCURSEL, 0, 0);
                if (measure >= 0 && measure < 3)
                    choice->measure = static_cast<CountMeasure>(measure);
                choice->population = dialog_text(dialog, COUNTS_POPULATION_ID);
                choice->reporting = dialog_text(dialog, COUNTS_REPORTING_ID);
                choice->day_zero = dialog_text(dialog, COUNTS_DAY_ZERO_ID);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK fit_choice_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* choice = reinterpret_cast<FitChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
    const std::span<const FitField> fields = fit_fields();
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            choice = reinterpret_cast<FitChoice*>(lParam);
            for (std::size_t k = 0; k < fields.size(); ++k) {
                const bool ticked = std::find(choice->fields.begin(), choice->fields.end(),
                                              fields[k].name) != choice->fields.end();
                CheckDlgButton(dialog, FIT_FIRST_FIELD_ID + static_cast<int>(k),
                               ticked ? BST_CHECKED : BST_UNCHECKED);
                // A one-time window's fields only in the one-time mode.
                EnableWindow(GetDlgItem(dialog, FIT_FIRST_FIELD_ID + static_cast<int>(k)),
                             fit_field_offered(fields[k], program_records().mode));
            }
            CheckRadioButton(dialog, FIT_LEAST_SQUARES_ID, FIT_POISSON_ID,
                             choice->objective == FitObjective::PoissonDeviance
                                 ? FIT_POISSON_ID
                                 : FIT_LEAST_SQUARES_ID);
            HWND tooltip = create_tooltip(dialog);
            for (std::size_t k = 0; k < fields.size(); ++k) {
                add_tooltip(tooltip, dialog,
                            GetDlgItem(dialog, FIT_FIRST_FIELD_ID + static_cast<int>(k)),
                            field_tip(fields[k].name));
            }
            return TRUE;
        }
        case WM_HELP:
            // The guide's section on fitting, beside the dialog.
            if (HWND owner = GetWindow(dialog, GW_OWNER)) {
                if (MainWindowState* state = main_window_state(owner))
                    show_user_guide_window(owner, *state, FIT_GUIDE_SECTION);
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                FitChoice chosen;
                for (std::size_t k = 0; k < fields.size(); ++k) {
                    const HWND box = GetDlgItem(dialog, FIT_FIRST_FIELD_ID + static_cast<int>(k));
                    if (IsWindowEnabled(box) && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED)
                        chosen.fields.emplace_back(fields[k].name);
                }
                chosen.objective = IsDlgButtonChecked(dialog, FIT_POISSON_ID) == BST_CHECKED
                                       ? FitObjective::PoissonDeviance
                                       : FitObjective::LeastSquares;
                *choice = std::move(chosen);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// The plan window's finding and the main window that loads its plans.
struct PlanWindowData {
    const PlanFinding* finding = nullptr;
    HWND main_window = nullptr;
};

PlanWindowData* plan_data(HWND window) {
    return reinterpret_cast<PlanWindowData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int scaled(HWND window, int pixels) {
    return static_cast<int>(pixels * display_scale(window) + 0.5);
}

std::string finding_text(const PlanFinding& finding) {
    std::string text;
    for (const std::string& line : plan_finding_lines(finding)) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

void lay_out_plan_window(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    const int margin = scaled(window, 8);
    const int lines = scaled(window, 64);
    const int button_height = scaled(window, 26);
    const int width = std::max(1, static_cast<int>(client.right) - 2 * margin);
    MoveWindow(GetDlgItem(window, PLAN_LINES_ID), margin, margin, width, lines, TRUE);
    MoveWindow(GetDlgItem(window, PLAN_LOAD_ID), margin, 2 * margin + lines, scaled(window, 120),
               button_height, TRUE);
    const int top = 3 * margin + lines + button_height;
    MoveWindow(GetDlgItem(window, PLAN_FRONT_ID), margin, top, width,
               std::max(1, static_cast<int>(client.bottom) - top - margin), TRUE);
}

HWND make_plan_child(HWND parent, const char* window_class, const char* text, DWORD style, int id) {
    HWND child = CreateWindowExA(0, window_class, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 user_interface_state().instance_handle, nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return child;
}

LRESULT CALLBACK plan_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
            make_plan_child(window, "Static", "", SS_LEFT | SS_NOPREFIX, PLAN_LINES_ID);
            make_plan_child(window, "Button", "&Load the plan", WS_TABSTOP | BS_DEFPUSHBUTTON,
                            PLAN_LOAD_ID);
            HWND front = make_plan_child(window, FRONT_CLASS_NAME, "", 0, PLAN_FRONT_ID);
            set_accessible_name(front, "Plans: days under reduction against peak");
            add_tooltip(create_tooltip(window), window, front, "Click a plan to load it");
            lay_out_plan_window(window);
            return 0;
        }
        case WM_SIZE:
            lay_out_plan_window(window);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == PLAN_LOAD_ID) {
                if (PlanWindowData* data = plan_data(window))
                    PostMessageA(data->main_window, LOAD_FOUND_PLAN_MESSAGE, 0, 0);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) DestroyWindow(window);
            return 0;
        case WM_NCDESTROY:
            delete plan_data(window);
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return DefWindowProcA(window, message, wParam, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK front_proc(HWND front, UINT message, WPARAM wParam, LPARAM lParam) {
    PlanWindowData* data = plan_data(GetParent(front));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint = {};
            HDC device_context = BeginPaint(front, &paint);
            RECT client = {};
            GetClientRect(front, &client);
            FillRect(device_context, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            if (data != nullptr && data->finding != nullptr) {
                GdiSurface surface(device_context, display_scale(front));
                paint_plan_front(surface, *data->finding, client.right, client.bottom);
            }
            EndPaint(front, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            if (data == nullptr || data->finding == nullptr) return 0;
            RECT client = {};
            GetClientRect(front, &client);
            const int index = front_point_at(*data->finding, client.right, client.bottom,
                                             GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (index >= 0)
                PostMessageA(data->main_window, LOAD_FOUND_PLAN_MESSAGE, static_cast<WPARAM>(index),
                             0);
            return 0;
        }
        default:
            return DefWindowProcA(front, message, wParam, lParam);
    }
}

}  // namespace

bool ask_capacity_dialog(HWND owner, CapacitySetting& capacity) {
    DialogTemplate dialog(CAPACITY_CAPTION, 220, 92);
    dialog.add(BUTTON, "&Hold the run against a capacity", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 8, 204,
               12, CAPACITY_ON_ID);
    dialog.add(STATIC, "&Persons per 10K cared for at once:", SS_LEFT, 8, 28, 130, 10, -1);
    dialog.add(EDIT, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 140, 26, 72, 13,
               CAPACITY_VALUE_ID);
    dialog.add(STATIC, "&Series:", SS_LEFT, 8, 46, 130, 10, -1);
    dialog.add(COMBO_BOX, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 140, 44, 72, 80,
               CAPACITY_SERIES_ID);
    dialog.add(BUTTON, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 104, 70, 50, 14, IDOK);
    dialog.add(BUTTON, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 162, 70, 50, 14, IDCANCEL);
    return DialogBoxIndirectParamA(user_interface_state().instance_handle, dialog.get(), owner,
                                   capacity_proc, reinterpret_cast<LPARAM>(&capacity)) == IDOK;
}

Asked ask_fit_choice_dialog(HWND owner, FitChoice& choice) {
    const std::span<const FitField> fields = fit_fields();
    // Two columns of checkboxes, then the objective and the buttons.
    const short rows = static_cast<short>((fields.size() + 1) / 2);
    const short objective_top = static_cast<short>(22 + rows * 14 + 6);
    const short height = static_cast<short>(objective_top + 40);
    DialogTemplate dialog(FIT_COUNTS_CAPTION, 260, height, true);
    dialog.add(STATIC, "Fit these fields to the counts (the others stay as set):", SS_LEFT, 8, 8,
               244, 10, -1);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const short x = static_cast<short>(k < static_cast<std::size_t>(rows) ? 8 : 132);
        const short y = static_cast<short>(22 + (k % rows) * 14);
        dialog.add(BUTTON, fit_field_label(fields[k]).c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, x, y,
                   120, 12, FIT_FIRST_FIELD_ID + static_cast<int>(k));
    }
    dialog.add(STATIC, "Objective:", SS_LEFT, 8, objective_top, 60, 10, -1);
    dialog.add(BUTTON, "&Least squares", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 70,
               objective_top - 1, 80, 12, FIT_LEAST_SQUARES_ID);
    dialog.add(BUTTON, "&Poisson deviance", BS_AUTORADIOBUTTON, 152, objective_top - 1, 100, 12,
               FIT_POISSON_ID);
    dialog.add(BUTTON, "&Fit", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 144, height - 22, 50, 14,
               IDOK);
    dialog.add(BUTTON, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 202, height - 22, 50, 14, IDCANCEL);
    const INT_PTR result =
        DialogBoxIndirectParamA(user_interface_state().instance_handle, dialog.get(), owner,
                                fit_choice_proc, reinterpret_cast<LPARAM>(&choice));
    if (result == IDOK) return Asked::Chosen;
    return result == IDCANCEL ? Asked::Cancelled : Asked::NotAsked;
}

Asked ask_counts_choice_dialog(HWND owner, CountsChoice& choice) {
    DialogTemplate dialog(COUNTS_CHOICE_CAPTION, 300, 122);
    const struct {
        const char* label;
        int id;
        bool list;
    } rows[] = {{"Count &column:", COUNTS_COLUMN_ID, true},
                {"The counts &are:", COUNTS_MEASURE_ID, true},
                {"&Population counted:", COUNTS_POPULATION_ID, false},
                {"&Reporting fraction:", COUNTS_REPORTING_ID, false},
                {"&Date of day 0 (YYYY-MM-DD):", COUNTS_DAY_ZERO_ID, false}};
    short y = 8;
    for (const auto& row : rows) {
        dialog.add(STATIC, row.label, SS_LEFT, 8, static_cast<short>(y + 2), 104, 10, -1);
        if (row.list) {
            dialog.add(COMBO_BOX, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 114, y, 178, 80,
                       row.id);
        } else {
            dialog.add(EDIT, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 114, y, 178, 13, row.id);
        }
        y = static_cast<short>(y + 18);
    }
    dialog.add(BUTTON, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 100, 50, 14, IDOK);
    dialog.add(BUTTON, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 242, 100, 50, 14, IDCANCEL);
    const INT_PTR result =
        DialogBoxIndirectParamA(user_interface_state().instance_handle, dialog.get(), owner,
                                counts_choice_proc, reinterpret_cast<LPARAM>(&choice));
    if (result == IDOK) return Asked::Chosen;
    return result == IDCANCEL ? Asked::Cancelled : Asked::NotAsked;
}

std::string choose_counts_file(HWND owner) {
    char path[MAX_PATH] = {};
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.lpstrFilter = "Counts (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
    open.lpstrFile = path;
    open.nMaxFile = MAX_PATH;
    open.lpstrTitle = OPEN_COUNTS_CAPTION;
    open.lpstrDefExt = "csv";
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return GetOpenFileNameA(&open) ? std::string(path) : std::string();
}

bool register_plan_window_classes(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = plan_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, ICON_NAME);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = PLAN_CLASS_NAME;
    WNDCLASSA front_class = {};
    front_class.style = CS_HREDRAW | CS_VREDRAW;
    front_class.lpfnWndProc = front_proc;
    front_class.hInstance = instance;
    front_class.hCursor = LoadCursorA(nullptr, IDC_HAND);
    front_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    front_class.lpszClassName = FRONT_CLASS_NAME;
    return RegisterClassA(&window_class) != 0 && RegisterClassA(&front_class) != 0;
}

HWND show_plan_window(HWND window, HWND plan_window, const PlanFinding& finding) {
    if (plan_window == nullptr || !IsWindow(plan_window)) {
        auto* data = new PlanWindowData{&finding, window};
        plan_window =
            CreateWindowExA(0, PLAN_CLASS_NAME, PLAN_WINDOW_CAPTION, WS_OVERLAPPEDWINDOW,
                            CW_USEDEFAULT, CW_USEDEFAULT, scaled(window, 520), scaled(window, 440),
                            window, nullptr, user_interface_state().instance_handle, data);
        if (plan_window == nullptr) {
            delete data;
            return nullptr;
        }
    }
    SetDlgItemTextA(plan_window, PLAN_LINES_ID, finding_text(finding).c_str());
    InvalidateRect(GetDlgItem(plan_window, PLAN_FRONT_ID), nullptr, TRUE);
    ShowWindow(plan_window, SW_SHOWNORMAL);
    SetForegroundWindow(plan_window);
    return plan_window;
}

}  // namespace morbilex
