// The page rectangle of a printout: 8.2 by 11.6 inches in printer dots.
#pragma once

#include "chart/chart.h"
#include "model/records.h"

namespace morbilex {

struct PageRectangle {
    int left, top, right, bottom;  // bottom is negative
};

// From the printer's dots per inch, in integer arithmetic truncating toward
// zero: right = (dpi_x * 82) / 10, bottom = (-dpi_y * 116) / 10.
PageRectangle page_rectangle(int dots_per_inch_x, int dots_per_inch_y);

// The printed view: draw_view on the page rectangle of the printer's
// resolution. Both programs print with it.
void draw_page_view(Surface& surface, Records& records, const SeriesColours& colours,
                    int dots_per_inch_x, int dots_per_inch_y);

// The steps of a started one-page print job, as the platform takes them; a
// step that returns false has failed.
class PageJob {
public:
    virtual ~PageJob() = default;
    virtual bool start_page() = 0;
    virtual void draw_page() = 0;
    virtual bool end_page() = 0;
    virtual bool end_document() = 0;
    virtual void abort_document() = 0;
};

// Starts the page, draws it, ends the page and the document. At the first
// step that fails the job is aborted, so that no truncated job is left to
// print, and the result is false.
bool print_page_job(PageJob& job);

}  // namespace morbilex
