#include "qt/printing.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>

#include "qt/painter_surface.h"
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
    bool printed = print_page(printer_);
    QApplication::restoreOverrideCursor();
    if (!printed) {
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(PRINT_FAILURE_CAPTION),
                        QString::fromLatin1(PRINT_FAILURE_TEXT), QMessageBox::Ok, window);
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

bool Printing::print_page(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    PageRectangle page = page_rectangle(printer.logicalDpiX(), printer.logicalDpiY());
    {
        PainterSurface surface(painter);
        draw_view(records_, colours_, surface, page.left, page.top, page.right, page.bottom);
    }
    painter.end();
    return true;
}

}  // namespace morbilex
