// One page of the current view on the printer the user picks.
#include "shell/printing.h"

#include <cstring>
#include <vector>

#include "explore/explorer_page.h"
#include "explore/explorer_view.h"
#include "shell/messages.h"
#include "win32/explorer_window.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {

namespace {

void show_print_failure(HWND owner) {
    MessageBoxA(owner, PRINT_FAILURE_TEXT, PRINT_FAILURE_CAPTION, MB_OK | MB_ICONERROR);
}

// The device context of the printer the user confirmed, or null.
HDC ask_for_printer(PRINTDLGA& record) {
    record.hDC = nullptr;
    BOOL confirmed = PrintDlgA(&record);
    DWORD extended_error = CommDlgExtendedError();
    switch (print_dialog_outcome(confirmed, extended_error, record.hDC, printer_installed())) {
        case PrintDialogOutcome::Printer:
            return record.hDC;
        case PrintDialogOutcome::Cancelled:
            return nullptr;
        case PrintDialogOutcome::Failed:
            break;
    }
    show_print_failure(nullptr);
    return nullptr;
}

// The explorer's page turned as its rule says for the chart the window
// shows; the user's settings are changed for this job only.
void turn_page_for_chart(HDC printer, const PRINTDLGA& record, bool landscape) {
    if (record.hDevMode == nullptr) return;
    const auto* settings = static_cast<const DEVMODEA*>(GlobalLock(record.hDevMode));
    if (settings == nullptr) return;
    std::vector<unsigned char> copy(settings->dmSize + settings->dmDriverExtra);
    std::memcpy(copy.data(), settings, copy.size());
    GlobalUnlock(record.hDevMode);
    auto* turned = reinterpret_cast<DEVMODEA*>(copy.data());
    turned->dmFields |= DM_ORIENTATION;
    turned->dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    ResetDCA(printer, turned);
}

// The page of a started document on the printer's device context: the
// classic view on its page rectangle, the explorer's filling the page.
class GdiPageJob final : public PageJob {
public:
    GdiPageJob(HDC printer, Explorer* explorer) : printer_(printer), explorer_(explorer) {}
    bool start_page() override { return StartPage(printer_) > 0; }
    void draw_page() override {
        GdiSurface surface(printer_);
        Records& records = program_records();
        const SeriesColours& colours = user_interface_state().series_colours;
        if (explorer_ != nullptr && !explorer_->view.classic && records.mode >= 0) {
            paint_explorer_page(surface, records, colours, *explorer_,
                                GetDeviceCaps(printer_, HORZRES), GetDeviceCaps(printer_, VERTRES));
            return;
        }
        draw_page_view(surface, records, colours, GetDeviceCaps(printer_, LOGPIXELSX),
                       GetDeviceCaps(printer_, LOGPIXELSY));
    }
    bool end_page() override { return EndPage(printer_) > 0; }
    // Some systems answer 0 for a job they finished; SP_ERROR (below 0) is a failure.
    bool end_document() override { return EndDoc(printer_) >= 0; }
    void abort_document() override { AbortDoc(printer_); }

private:
    HDC printer_;
    Explorer* explorer_;
};

}  // namespace

bool printer_installed() {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed,
                  &count);
    return needed > 0;
}

PrintDialogOutcome print_dialog_outcome(BOOL dialog_result, DWORD extended_error, HDC printer,
                                        bool any_printer_installed) {
    if (dialog_result == 0) {
        // Without a printer the dialog cannot have been cancelled: it never showed.
        bool cancelled = extended_error == 0 && any_printer_installed;
        return cancelled ? PrintDialogOutcome::Cancelled : PrintDialogOutcome::Failed;
    }
    return printer == nullptr ? PrintDialogOutcome::Failed : PrintDialogOutcome::Printer;
}

DOCINFOA document_record() {
    DOCINFOA document = {};
    document.cbSize = sizeof(DOCINFOA);
    document.lpszDocName = PROGRAM_TITLE;
    document.lpszOutput = nullptr;
    return document;
}

void print_view(HWND window) {
    UserInterfaceState& state = user_interface_state();
    HDC printer = ask_for_printer(state.print_dialog_record);
    if (printer == nullptr) return;
    HCURSOR previous_cursor = SetCursor(state.wait_cursor);

    MainWindowState* window_state = main_window_state(window);
    Explorer* explorer = window_state != nullptr ? &window_state->explorer : nullptr;
    const Records& records = program_records();
    if (explorer != nullptr && !explorer->view.classic && records.mode >= 0) {
        RECT client = {};
        GetClientRect(window, &client);
        turn_page_for_chart(printer, state.print_dialog_record,
                            explorer_page_landscape(chart_width(window, records), client.bottom));
    }
    DOCINFOA document = document_record();
    if (StartDocA(printer, &document) <= 0) {
        show_print_failure(window);
    } else {
        GdiPageJob job(printer, explorer);
        if (!print_page_job(job)) {
            MessageBoxA(window, PRINT_INCOMPLETE_TEXT, PRINT_FAILURE_CAPTION, MB_OK | MB_ICONERROR);
        }
    }
    DeleteDC(printer);
    state.print_dialog_record.hDC = nullptr;
    SetCursor(previous_cursor);
}

BOOL printer_setup() {
    PRINTDLGA& record = user_interface_state().print_dialog_record;
    record.hDC = nullptr;
    record.Flags |= PD_PRINTSETUP;
    BOOL confirmed = PrintDlgA(&record);
    record.Flags &= ~static_cast<DWORD>(PD_PRINTSETUP);
    // The set-up dialog hands back a device context nobody draws on.
    if (record.hDC != nullptr) DeleteDC(record.hDC);
    record.hDC = nullptr;
    return confirmed;
}

}  // namespace morbilex
