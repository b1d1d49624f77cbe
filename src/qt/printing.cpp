#include "qt/printing.h"

#include <QApplication>
#include <QBuffer>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPushButton>
#include <QSaveFile>

#include "picture/painter_surface.h"
#include "shell/messages.h"
#include "shell/printing.h"

namespace morbilex {

namespace {

// One page of the whole view: no selection, no page range, no current page.
void offer_whole_view_only(QPrintDialog& dialog) {
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
}

}  // namespace

Printing::Printing(Records& records, const SeriesColours& colours)
    : records_(records), colours_(colours), printer_(QPrinter::HighResolution) {
    printer_.setDocName(QString::fromLatin1(PROGRAM_TITLE));
}

void Printing::print_view(QWidget* window) {
    QPrintDialog dialog(&printer_, window);
    offer_whole_view_only(dialog);
    if (dialog.exec() != QDialog::Accepted) return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PrintOutcome outcome = printer_.outputFileName().isEmpty()
                                     ? print_on_fresh_printer()
                                     : print_to_file(printer_.outputFileName());
    QApplication::restoreOverrideCursor();
    if (outcome != PrintOutcome::Printed) {
        const char* text =
            outcome == PrintOutcome::NotStarted ? PRINT_FAILURE_TEXT : PRINT_INCOMPLETE_TEXT;
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(PRINT_FAILURE_CAPTION),
                        QString::fromLatin1(text), QMessageBox::Ok, window);
        box.exec();
    }
}

bool Printing::printer_setup(QWidget* window) {
    QPrintDialog dialog(&printer_, window);
    offer_whole_view_only(dialog);
    dialog.setWindowTitle(QStringLiteral("Printer setup"));
    // Confirming only chooses: nothing is printed from here.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        for (QAbstractButton* button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                button->setText(QStringLiteral("OK"));
        }
    }
    return dialog.exec() == QDialog::Accepted;
}

Printing::PrintOutcome Printing::print_page(QPagedPaintDevice& device) {
    const PageUse use = page_painter_ && page_use_ ? page_use_() : PageUse::ClassicRectangle;
    if (use != PageUse::ClassicRectangle) {
        device.setPageOrientation(use == PageUse::Across ? QPageLayout::Landscape
                                                         : QPageLayout::Portrait);
    }
    QPainter painter;
    if (!painter.begin(&device)) return PrintOutcome::NotStarted;
    {
        PainterSurface surface(painter);
        if (use != PageUse::ClassicRectangle) {
            page_painter_(surface, device.width(), device.height());
        } else if (page_painter_) {
            const PageRectangle page = page_rectangle(device.logicalDpiX(), device.logicalDpiY());
            page_painter_(surface, page.right - page.left, page.top - page.bottom);
        } else {
            draw_page_view(surface, records_, colours_, device.logicalDpiX(), device.logicalDpiY());
        }
    }
    return painter.end() ? PrintOutcome::Printed : PrintOutcome::NotFinished;
}

Printing::PrintOutcome Printing::print_on_fresh_printer() {
    // A printer whose last job failed keeps failing: every job gets its own,
    // with the chosen settings.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printer_.printerName());
    printer.setPageLayout(printer_.pageLayout());
    printer.setColorMode(printer_.colorMode());
    printer.setCopyCount(printer_.copyCount());
    printer.setDuplex(printer_.duplex());
    printer.setDocName(printer_.docName());
    const PrintOutcome outcome = print_page(printer);
    if (outcome == PrintOutcome::Printed && printer.printerState() == QPrinter::Error) {
        return PrintOutcome::NotFinished;
    }
    return outcome;
}

Printing::PrintOutcome Printing::print_to_file(const QString& path) {
    // The page is made in memory and the file replaced only when all of it
    // is written, so a full disk is seen and an earlier file stays whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return PrintOutcome::NotStarted;
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(printer_.resolution());
        writer.setPageLayout(printer_.pageLayout());
        writer.setTitle(printer_.docName());
        writer.setCreator(printer_.creator());
        const PrintOutcome outcome = print_page(writer);
        if (outcome != PrintOutcome::Printed) return outcome;
    }
    const bool written = file.write(pdf.data()) == pdf.data().size() && file.commit();
    return written ? PrintOutcome::Printed : PrintOutcome::NotFinished;
}

}  // namespace morbilex
