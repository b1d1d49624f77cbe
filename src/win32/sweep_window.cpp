// The sweep window of the Windows program: one or two fields with from, to
// and step, the column shown, a line chart or a heat map, Run and Stop with
// progress. The sweep runs a block at a time on the window's timer, which
// comes only when no other message waits, so the window answers while it
// runs. The picture is the core's on the GDI surface; its read-out follows
// the pointer and a click loads the scenario under it and runs it.
#include <windows.h>
// After windows.h, which it builds on:
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "picture/sweep_view.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {
namespace {

constexpr const char* SWEEP_CLASS_NAME = "Morbilex_sweep";
constexpr const char* PICTURE_CLASS_NAME = "Morbilex_sweep_picture";
constexpr const char* NO_FIELD = "(none)";
constexpr long long SCENARIOS_PER_BLOCK = 1024;
constexpr UINT_PTR BLOCK_TIMER = 1;

// The controls' identifiers.
enum : int {
    ID_FIELD = 200,  // 200, 201: the fields; 210.. from, to, step of each
    ID_FROM = 210,
    ID_TO = 212,
    ID_STEP = 214,
    ID_COLUMN = 220,
    ID_LINES = 221,
    ID_HEAT_MAP = 222,
    ID_RUN = 223,
    ID_STOP = 224,
    ID_PROGRESS = 225,
    ID_STATUS = 226,
    ID_PICTURE = 227,
    ID_READ_OUT = 228,
};

struct SweepWindowState {
    HWND owner = nullptr;
    SweepDesk desk;
    std::string metric = "peak_infectious";
};

SweepWindowState* sweep_state(HWND window) {
    return reinterpret_cast<SweepWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HWND the_sweep_window = nullptr;

std::string control_text(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

int scaled_by(HWND window, int pixels) {
    return static_cast<int>(pixels * display_scale(window) + 0.5);
}

HWND add_control(HWND window, const char* class_name, const char* text, DWORD style, int id) {
    HWND control = CreateWindowExA(0, class_name, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   user_interface_state().instance_handle, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return control;
}

void suggest(HWND window, int k) {
    const std::string name = control_text(window, ID_FIELD + k);
    const bool none = name.empty() || name == NO_FIELD;
    const SweepAxisTexts texts = none ? SweepAxisTexts{} : suggested_axis(program_records(), name);
    SetDlgItemTextA(window, ID_FROM + k, texts.from.c_str());
    SetDlgItemTextA(window, ID_TO + k, texts.to.c_str());
    SetDlgItemTextA(window, ID_STEP + k, texts.step.c_str());
    for (int id : {ID_FROM + k, ID_TO + k, ID_STEP + k})
        EnableWindow(GetDlgItem(window, id), !none);
}

void show_state(HWND window, SweepWindowState& state) {
    const bool running = state.desk.state() == SweepDesk::State::Running;
    EnableWindow(GetDlgItem(window, ID_RUN), !running);
    EnableWindow(GetDlgItem(window, ID_STOP), running);
    if (running) {
        SetTimer(window, BLOCK_TIMER, 1, nullptr);
    } else {
        KillTimer(window, BLOCK_TIMER);
    }
    const long long total = state.desk.total();
    SendDlgItemMessageA(window, ID_PROGRESS, PBM_SETPOS,
                        total > 0 ? static_cast<WPARAM>(state.desk.done() * 1000 / total) : 0, 0);
    SetDlgItemTextA(window, ID_STATUS, state.desk.progress_text().c_str());
    InvalidateRect(GetDlgItem(window, ID_PICTURE), nullptr, FALSE);
}

void run(HWND window, SweepWindowState& state) {
    SweepRequest request;
    for (int k = 0; k < 2; ++k) {
        const std::string name = control_text(window, ID_FIELD + k);
        if (name.empty() || name == NO_FIELD) continue;
        request.axes[k] = {name, control_text(window, ID_FROM + k), control_text(window, ID_TO + k),
                           control_text(window, ID_STEP + k)};
    }
    HWND picture = GetDlgItem(window, ID_PICTURE);
    RECT client = {};
    GetClientRect(picture, &client);
    HDC device_context = GetDC(picture);
    double font = 0.0;
    {
        GdiSurface surface(device_context, display_scale(picture));
        font = surface.reading_cell_height();
    }
    ReleaseDC(picture, device_context);
    const bool lines = SendDlgItemMessageA(window, ID_LINES, BM_GETCHECK, 0, 0) == BST_CHECKED;
    state.desk.start(program_records(), request, client.right, client.bottom, font, lines);
    SetDlgItemTextA(window, ID_READ_OUT, "");
    show_state(window, state);
}

void lay_out(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    const int gap = scaled_by(window, 6), row = scaled_by(window, 24);
    const int width = client.right - 2 * gap;
    const int field = width * 2 / 5, number = (width - field - 3 * gap) / 3;
    for (int k = 0; k < 2; ++k) {
        const int y = gap + k * (row + gap);
        MoveWindow(GetDlgItem(window, ID_FIELD + k), gap, y, field, row * 12, TRUE);
        for (int c = 0; c < 3; ++c) {
            MoveWindow(GetDlgItem(window, ID_FROM + 2 * c + k),
                       2 * gap + field + c * (number + gap), y, number, row, TRUE);
        }
    }
    int y = gap + 2 * (row + gap);
    const int button = scaled_by(window, 80);
    MoveWindow(GetDlgItem(window, ID_COLUMN), gap, y, field, row * 12, TRUE);
    int x = 2 * gap + field;
    for (int id : {ID_LINES, ID_HEAT_MAP, ID_RUN, ID_STOP}) {
        MoveWindow(GetDlgItem(window, id), x, y, button, row, TRUE);
        x += button + gap;
    }
    y += row + gap;
    MoveWindow(GetDlgItem(window, ID_PROGRESS), gap, y, field, row, TRUE);
    MoveWindow(GetDlgItem(window, ID_STATUS), 2 * gap + field, y, width - field - gap, row, TRUE);
    y += row + gap;
    const int bottom = client.bottom - gap - row;
    MoveWindow(GetDlgItem(window, ID_PICTURE), gap, y, width, std::max(1, bottom - gap - y), TRUE);
    MoveWindow(GetDlgItem(window, ID_READ_OUT), gap, bottom, width, row, TRUE);
}

void create_controls(HWND window) {
    const std::vector<std::string> names = sweep_field_names();
    for (int k = 0; k < 2; ++k) {
        HWND combo = add_control(window, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                 ID_FIELD + k);
        if (k == 1) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NO_FIELD));
        for (const std::string& name : names)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(k == 0 ? "R_0" : NO_FIELD));
        for (int id : {ID_FROM + k, ID_TO + k, ID_STEP + k})
            add_control(window, "Edit", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, id);
        suggest(window, k);
    }
    HWND column =
        add_control(window, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, ID_COLUMN);
    for (const std::string& name : sweep_column_names())
        SendMessageA(column, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(column, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>("peak_infectious"));
    add_control(window, "Button", "&Line chart", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                ID_LINES);
    add_control(window, "Button", "&Heat map", BS_AUTORADIOBUTTON, ID_HEAT_MAP);
    CheckDlgButton(window, ID_HEAT_MAP, BST_CHECKED);
    add_control(window, "Button", "&Run", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, ID_RUN);
    add_control(window, "Button", "&Stop", BS_PUSHBUTTON | WS_TABSTOP, ID_STOP);
    HWND progress = add_control(window, PROGRESS_CLASSA, "", 0, ID_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE32, 0, 1000);
    add_control(window, "Static", "", SS_LEFTNOWORDWRAP, ID_STATUS);
    add_control(window, PICTURE_CLASS_NAME, "", 0, ID_PICTURE);
    add_control(window, "Static", "", SS_LEFTNOWORDWRAP, ID_READ_OUT);
}

LRESULT CALLBACK picture_proc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = GetParent(picture);
    SweepWindowState* state = sweep_state(window);
    // The read-out and the hit test are of the picture as painted: a paint
    // still due comes first.
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN) UpdateWindow(picture);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint = {};
            HDC device_context = BeginPaint(picture, &paint);
            RECT client = {};
            GetClientRect(picture, &client);
            FillRect(device_context, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            if (state != nullptr) {
                GdiSurface surface(device_context, display_scale(picture));
                state->desk.paint(surface, client.right, client.bottom, state->metric);
            }
            EndPaint(picture, &paint);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (state != nullptr) {
                const std::string text = state->desk.read_out(static_cast<short>(LOWORD(lParam)),
                                                              static_cast<short>(HIWORD(lParam)));
                SetDlgItemTextA(window, ID_READ_OUT, text.c_str());
            }
            return 0;
        case WM_LBUTTONDOWN:
            if (state != nullptr) {
                const long long run_id = state->desk.run_id_at(static_cast<short>(LOWORD(lParam)),
                                                               static_cast<short>(HIWORD(lParam)));
                if (run_id <= 0) return 0;
                if (state->desk.load(program_records(), run_id)) {
                    run_loaded_scenario(state->owner);
                } else {
                    SetDlgItemTextA(window, ID_STATUS,
                                    ("Not loaded: " + state->desk.refusal()).c_str());
                }
            }
            return 0;
        default:
            return DefWindowProcA(picture, message, wParam, lParam);
    }
}

LRESULT CALLBACK sweep_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SweepWindowState* state = sweep_state(window);
    switch (message) {
        case WM_CREATE: {
            auto* made = new SweepWindowState;
            made->owner = GetWindow(window, GW_OWNER);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
            create_controls(window);
            lay_out(window);
            show_state(window, *made);
            return 0;
        }
        case WM_SIZE:
            lay_out(window);
            InvalidateRect(GetDlgItem(window, ID_PICTURE), nullptr, FALSE);
            return 0;
        case WM_TIMER:
            if (state != nullptr && wParam == BLOCK_TIMER) {
                state->desk.run_block(SCENARIOS_PER_BLOCK);
                show_state(window, *state);
            }
            return 0;
        case WM_COMMAND: {
            if (state == nullptr) return 0;
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            if (id == ID_RUN) run(window, *state);
            if (id == ID_STOP) {
                state->desk.stop();
                show_state(window, *state);
            }
            if ((id == ID_FIELD || id == ID_FIELD + 1) && code == CBN_SELCHANGE)
                suggest(window, id - ID_FIELD);
            // Another column is drawn from the sums already gathered: no run.
            if (id == ID_COLUMN && code == CBN_SELCHANGE) {
                state->metric = control_text(window, ID_COLUMN);
                InvalidateRect(GetDlgItem(window, ID_PICTURE), nullptr, FALSE);
            }
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, BLOCK_TIMER);
            if (the_sweep_window == window) the_sweep_window = nullptr;
            return 0;
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool register_sweep_window_class(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = sweep_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, ICON_NAME);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = SWEEP_CLASS_NAME;
    WNDCLASSA picture_class = {};
    picture_class.lpfnWndProc = picture_proc;
    picture_class.hInstance = instance;
    picture_class.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    picture_class.lpszClassName = PICTURE_CLASS_NAME;
    return RegisterClassA(&window_class) != 0 && RegisterClassA(&picture_class) != 0;
}

void show_sweep_window(HWND owner) {
    if (the_sweep_window != nullptr) {
        SetForegroundWindow(the_sweep_window);
        return;
    }
    the_sweep_window =
        CreateWindowExA(0, SWEEP_CLASS_NAME, "Sweep", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        CW_USEDEFAULT, CW_USEDEFAULT, scaled_by(owner, 640), scaled_by(owner, 560),
                        owner, nullptr, user_interface_state().instance_handle, nullptr);
}

}  // namespace morbilex
