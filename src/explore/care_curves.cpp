#include "explore/care_curves.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "chart/selected_pen.h"
#include "explore/explorer.h"

namespace morbilex {
namespace {

bool coordinate(double value, int& out) {
    const double shifted = value + 0.5;
    if (!(shifted > INT_MIN / 2 && shifted < INT_MAX / 2)) return false;
    out = static_cast<int>(shifted);
    return true;
}

}  // namespace

void draw_care_curves(Surface& surface, const ChartGeometry& g, const Records& records,
                      const CareRun& care, double x_per_day) {
    const double dt = records.model.dt;
    const double y_per_person = records.scale.y_per_person;
    const int rows = std::min(shown_rows(records), care.rows());
    // Each name's box: left, bottom, right, top; a name that would cover
    // another is left out.
    int placed[CARE_SERIES_COUNT][4] = {};
    int placed_count = 0;
    for (int k = 0; k < CARE_SERIES_COUNT; ++k) {
        const std::vector<double>& values = care.values[k];
        int label_x = 0, label_y = INT_MIN;
        {
            SelectedPen pen(surface, CARE_SERIES_COLOURS[k]);
            bool drawing = false;
            int last_x = 0, last_y = 0;
            for (int j = 0; j < rows; ++j) {
                int x = 0, y = 0;
                const bool inside = coordinate(j * dt * x_per_day, x) &&
                                    coordinate(values[j] * y_per_person, y) && g.frame_left <= x &&
                                    x <= g.frame_right && g.frame_bottom <= y && y <= g.frame_top;
                if (!inside) {
                    drawing = false;
                    continue;
                }
                if (!drawing) {
                    surface.move_to(x, y);
                    drawing = true;
                } else if (x != last_x || y != last_y || j + 1 == rows) {
                    surface.line_to(x, y);
                }
                last_x = x;
                last_y = y;
                if (y > label_y) {
                    label_x = x;
                    label_y = y;
                }
            }
        }
        // The name just above the curve's highest point shown, inside the frame.
        if (label_y == INT_MIN || g.line_step <= 0) continue;
        const char* name = CARE_SERIES_LABELS[k];
        const int length = static_cast<int>(std::strlen(name));
        const int width = length * g.line_step / 2;
        const int left = std::max(g.frame_left, std::min(label_x, g.frame_right - width));
        const int top = std::min(label_y + g.line_step, g.frame_top);
        const int box[4] = {left, top - g.line_step, left + width, top};
        bool covers = false;
        for (int p = 0; p < placed_count; ++p) {
            covers = covers || (box[0] < placed[p][2] && placed[p][0] < box[2] &&
                                box[1] < placed[p][3] && placed[p][1] < box[3]);
        }
        if (covers) continue;
        std::copy(box, box + 4, placed[placed_count++]);
        surface.text_out(left, top, name, length);
    }
}

}  // namespace morbilex
