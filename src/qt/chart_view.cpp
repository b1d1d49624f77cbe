#include "qt/chart_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "explore/explorer_view.h"
#include "picture/painter_surface.h"

namespace morbilex {

ChartView::ChartView(Records& records, const SeriesColours& colours, Explorer& explorer,
                     QWidget* parent)
    : QWidget(parent), records_(records), colours_(colours), explorer_(explorer) {
    // Every paint draws the whole view over a white background of its own.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
    follow_view_options();
}

void ChartView::follow_view_options() {
    setFocusPolicy(records_.view.classic ? Qt::NoFocus : Qt::StrongFocus);
}

void ChartView::paintEvent(QPaintEvent*) {
    fill_and_paint(*this, records_, colours_, explorer_, width(), height());
}

void ChartView::show_read_out(int step) {
    if (step == explorer_.read_out_step) return;
    explorer_.read_out_step = step;
    update();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (records_.view.classic) return QWidget::mouseMoveEvent(event);
    show_read_out(step_at_device_x(records_, static_cast<int>(event->position().x()), width(),
                                   height(), reading_cell_pixels(logicalDpiY())));
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (records_.view.classic || records_.mode < 0 || (key != Qt::Key_Left && key != Qt::Key_Right))
        return QWidget::keyPressEvent(event);
    // The steps shown lie between those at the chart's left and right edges.
    const double cell = reading_cell_pixels(logicalDpiY());
    const int first = step_at_device_x(records_, -width(), width(), height(), cell);
    const int last = step_at_device_x(records_, 2 * width(), width(), height(), cell);
    if (first < 0) return;
    int step = explorer_.read_out_step;
    if (step < 0) {
        step = key == Qt::Key_Left ? last : first;
    } else {
        step += key == Qt::Key_Left ? -1 : 1;
    }
    show_read_out(std::clamp(step, first, last));
}

void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours, int width,
                    int height) {
    QPainter painter(&device);
    painter.fillRect(0, 0, width, height, Qt::white);
    PainterSurface surface(painter);
    paint_view(surface, records, colours, width, height);
}

void fill_and_paint(QPaintDevice& device, Records& records, const SeriesColours& colours,
                    Explorer& explorer, int width, int height, bool with_figures) {
    QPainter painter(&device);
    painter.fillRect(0, 0, width, height, Qt::white);
    PainterSurface surface(painter);
    paint_explorer_view(surface, records, colours, explorer, width, height, with_figures);
}

}  // namespace morbilex
