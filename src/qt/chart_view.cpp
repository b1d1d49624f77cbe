#include "qt/chart_view.h"

#include <QPainter>

#include "picture/painter_surface.h"

namespace morbilex {

ChartView::ChartView(Records& records, const SeriesColours& colours, QWidget* parent)
    : QWidget(parent), records_(records), colours_(colours) {
    // Every paint draws the whole view over a white background of its own.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void ChartView::paintEvent(QPaintEvent*) {
    fill_and_paint(*this, records_, colours_, width(), height());
}

void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours, int width,
                    int height) {
    QPainter painter(&device);
    painter.fillRect(0, 0, width, height, Qt::white);
    PainterSurface surface(painter);
    paint_view(surface, records, colours, width, height);
}

}  // namespace morbilex
