// The print dialog record, the document record and how a print dialog ends.
#include <gtest/gtest.h>

#include <cstring>

#include "message_box_closer.h"
#include "win32/program.h"

namespace morbilex {
namespace {

TEST(PrintDialogRecord, StartsZeroedWithThePlatformSizeAndFlags) {
    PRINTDLGA record;
    std::memset(&record, 0xAB, sizeof record);
    reset_print_dialog_record(record);
    EXPECT_EQ(record.lStructSize, sizeof(PRINTDLGA));
    EXPECT_EQ(record.Flags,
              static_cast<DWORD>(PD_NOSELECTION | PD_NOPAGENUMS | PD_RETURNDC | PD_SHOWHELP));
    EXPECT_EQ(record.Flags, 0x90Cu);
    EXPECT_EQ(record.hwndOwner, nullptr);
    EXPECT_EQ(record.hDevMode, nullptr);
    EXPECT_EQ(record.hDevNames, nullptr);
    EXPECT_EQ(record.hDC, nullptr);
    EXPECT_EQ(record.nCopies, 0);
}

TEST(PrintDialogRecord, EntryPointPreparesTheProcessState) {
    UserInterfaceState state;
    prepare_user_interface(state, GetModuleHandleA(nullptr));
    EXPECT_EQ(state.instance_handle, GetModuleHandleA(nullptr));
    EXPECT_EQ(state.wait_cursor, LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(state.print_dialog_record.lStructSize, sizeof(PRINTDLGA));
    EXPECT_FALSE(state.trace_written);
}

TEST(DocumentRecord, NamesTheJobAndPrintsToTheDevice) {
    DOCINFOA document = document_record();
    EXPECT_EQ(document.cbSize, static_cast<int>(sizeof(DOCINFOA)));
    EXPECT_STREQ(document.lpszDocName, "Morbilex");
    EXPECT_EQ(document.lpszOutput, nullptr);
    EXPECT_EQ(document.lpszDatatype, nullptr);
    EXPECT_EQ(document.fwType, 0u);
}

TEST(PrintDialogOutcome, CancelIsTheUsersChoiceAndFailuresAreReported) {
    HDC printer = reinterpret_cast<HDC>(0x1234);
    EXPECT_EQ(print_dialog_outcome(TRUE, 0, printer, true), PrintDialogOutcome::Printer);
    EXPECT_EQ(print_dialog_outcome(FALSE, 0, nullptr, true), PrintDialogOutcome::Cancelled);
    EXPECT_EQ(print_dialog_outcome(FALSE, PDERR_NODEFAULTPRN, nullptr, true),
              PrintDialogOutcome::Failed);
    EXPECT_EQ(print_dialog_outcome(FALSE, PDERR_PRINTERNOTFOUND, nullptr, true),
              PrintDialogOutcome::Failed);
    EXPECT_EQ(print_dialog_outcome(TRUE, 0, nullptr, true), PrintDialogOutcome::Failed);
    // No printer at all: the dialog never showed, so nobody cancelled it.
    EXPECT_EQ(print_dialog_outcome(FALSE, 0, nullptr, false), PrintDialogOutcome::Failed);
}

TEST(PrinterSetup, LeavesThePrintFlagsAndNoDeviceContextBehind) {
    if (printer_installed()) GTEST_SKIP() << "a printer would open its dialog";
    PRINTDLGA& record = user_interface_state().print_dialog_record;
    reset_print_dialog_record(record);
    MessageBoxCloser no_printer_warning(nullptr);  // the platform may say "install a printer"
    printer_setup();
    EXPECT_EQ(record.Flags, 0x90Cu);
    EXPECT_EQ(record.hDC, nullptr);
}

}  // namespace
}  // namespace morbilex
