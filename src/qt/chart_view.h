// The main window's client area: the view of draw_view, fitted to its size,
// or in the explorer view the explorer's chart with its read-out, which
// follows the mouse and the Left and Right keys.
#pragma once

#include <QWidget>
#include <functional>

#include "chart/chart.h"
#include "explore/explorer.h"
#include "model/records.h"

namespace morbilex {

class ChartView : public QWidget {
    Q_OBJECT
public:
    ChartView(Records& records, const SeriesColours& colours, Explorer& explorer,
              QWidget* parent = nullptr);

    // The read-out at this step (-1: none), repainted when it moves.
    void show_read_out(int step);
    // The keyboard focus is the chart's only in the explorer view.
    void follow_view_options();
    // Carries out a command of the window: a click on a compartment's line
    // in the legend shows or hides it.
    std::function<void(int)> execute;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Records& records_;
    const SeriesColours& colours_;
    Explorer& explorer_;
};

// Draws the view on any paint device: white background, then paint_view over
// width by height pixels. The window and the tests share it.
void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours, int width,
                    int height);
// The same with the explorer view's drawing (exactly the above in the classic view).
void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours,
                    Explorer& explorer, int width, int height, bool with_figures = false);

}  // namespace morbilex
