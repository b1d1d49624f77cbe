// The main window's client area: the view of draw_view, fitted to its size.
#pragma once

#include <QWidget>

#include "chart/chart.h"
#include "model/records.h"

namespace morbilex {

class ChartView : public QWidget {
    Q_OBJECT
public:
    ChartView(Records& records, const SeriesColours& colours, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Records& records_;
    const SeriesColours& colours_;
};

// Draws the view on any paint device: white background, then paint_view over
// width by height pixels. The window and the tests share it.
void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours, int width,
                    int height);

}  // namespace morbilex
