// Printing the view on one page, and choosing the printer that the next print
// starts from.
#pragma once

#include <QPrinter>
#include <functional>

#include "chart/chart.h"
#include "model/records.h"

class QWidget;

namespace morbilex {

class Printing {
public:
    Printing(Records& records, const SeriesColours& colours);

    // The print dialog, then one page of the current view on the chosen printer.
    // Cancel prints nothing and shows nothing; a job that cannot start shows
    // "Unable to start print job" titled "Error", owned by window, and one that
    // cannot be finished (a full disk) says so in the same way.
    void print_view(QWidget* window);
    // The print dialog as a set-up dialog: confirmed choices are kept for the
    // next print; Cancel keeps the previous ones. Returns true when confirmed.
    bool printer_setup(QWidget* window);

    // What a page shows instead of the classic view, on width by height
    // device units of the page rectangle; empty: the classic view.
    using PagePainter = std::function<void(Surface& surface, int width, int height)>;
    void set_page_painter(PagePainter painter) { page_painter_ = std::move(painter); }
    // How the page painter takes the page: the classic page rectangle, or
    // the whole printable area of a page upright or turned across.
    enum class PageUse { ClassicRectangle, Upright, Across };
    void set_page_use(std::function<PageUse()> use) { page_use_ = std::move(use); }

    // The printer and settings kept for the life of the program.
    QPrinter& printer() { return printer_; }

private:
    enum class PrintOutcome { Printed, NotStarted, NotFinished };
    // draw_view on the page rectangle of the device's resolution.
    PrintOutcome print_page(QPagedPaintDevice& device);
    PrintOutcome print_on_fresh_printer();
    // Print to file: a PDF of the chosen page, written whole or not at all.
    PrintOutcome print_to_file(const QString& path);

    Records& records_;
    const SeriesColours& colours_;
    QPrinter printer_;
    PagePainter page_painter_;
    std::function<PageUse()> page_use_;
};

}  // namespace morbilex
