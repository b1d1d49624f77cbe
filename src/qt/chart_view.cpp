#include "qt/chart_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "explore/explorer_view.h"
#include "picture/painter_surface.h"
#include "shell/menu.h"

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
    setFocusPolicy(explorer_.view.classic ? Qt::NoFocus : Qt::StrongFocus);
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
    if (explorer_.view.classic) return QWidget::mouseMoveEvent(event);
    show_read_out(step_at_device_x(records_, static_cast<int>(event->position().x()), width(),
                                   height(), reading_cell_pixels(logicalDpiY()),
                                   explorer_.chart_text));
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    const int compartment =
        explorer_.view.classic || event->button() != Qt::LeftButton
            ? -1
            : explorer_.legend_compartment_at(static_cast<int>(event->position().x()),
                                              static_cast<int>(event->position().y()));
    if (compartment < 0 || !execute) return QWidget::mousePressEvent(event);
    execute(COMMAND_SHOW_SUSCEPTIBLE + compartment);
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    ReadOutKey key;
    switch (event->key()) {
        case Qt::Key_Left:
            key = shift ? ReadOutKey::ShiftLeft : ReadOutKey::Left;
            break;
        case Qt::Key_Right:
            key = shift ? ReadOutKey::ShiftRight : ReadOutKey::Right;
            break;
        case Qt::Key_PageUp:
            key = ReadOutKey::PageUp;
            break;
        case Qt::Key_PageDown:
            key = ReadOutKey::PageDown;
            break;
        case Qt::Key_Home:
            key = ReadOutKey::Home;
            break;
        case Qt::Key_End:
            key = ReadOutKey::End;
            break;
        default:
            return QWidget::keyPressEvent(event);
    }
    if (explorer_.view.classic || records_.mode < 0) return QWidget::keyPressEvent(event);
    const ReadOutSteps steps = read_out_steps(
        records_, width(), height(), reading_cell_pixels(logicalDpiY()), explorer_.chart_text);
    if (steps.first < 0) return;
    show_read_out(read_out_step_after_key(explorer_.read_out_step, key, steps));
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
