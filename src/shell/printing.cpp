#include "shell/printing.h"

#include <algorithm>
#include <climits>

namespace morbilex {
namespace {

// (dots * tenths_of_inch) / 10, truncating toward zero, kept in the int range.
int dots_for_length(long long dots_per_inch, long long tenths_of_inch) {
    const long long dots = (dots_per_inch * tenths_of_inch) / 10;
    return static_cast<int>(std::clamp<long long>(dots, INT_MIN, INT_MAX));
}

}  // namespace

PageRectangle page_rectangle(int dots_per_inch_x, int dots_per_inch_y) {
    const int bottom = dots_for_length(-static_cast<long long>(dots_per_inch_y), 116);
    const int right = dots_for_length(dots_per_inch_x, 82);
    return {0, 0, right, bottom};
}

void draw_page_view(Surface& surface, Records& records, const SeriesColours& colours,
                    int dots_per_inch_x, int dots_per_inch_y) {
    const PageRectangle page = page_rectangle(dots_per_inch_x, dots_per_inch_y);
    draw_view(records, colours, surface, page.left, page.top, page.right, page.bottom);
}

bool print_page_job(PageJob& job) {
    if (job.start_page()) {
        job.draw_page();
        if (job.end_page() && job.end_document()) return true;
    }
    job.abort_document();
    return false;
}

}  // namespace morbilex
