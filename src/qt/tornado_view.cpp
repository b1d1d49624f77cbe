#include "qt/tornado_view.h"

#include <QPainter>
#include <algorithm>

#include "explore/uncertainty.h"
#include "picture/painter_surface.h"

namespace morbilex {

TornadoView::TornadoView(const ExplorerUncertainty& uncertainty, QWidget* parent)
    : QWidget(parent), uncertainty_(uncertainty) {
    setObjectName(QStringLiteral("tornado"));
    setAccessibleName(QStringLiteral("Effect of each range on the peak"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setVisible(false);
}

int TornadoView::wanted_height() const {
    // Before the first paint, the default font's cell of this screen.
    const int step =
        line_step_ > 0 ? line_step_ : static_cast<int>(reading_cell_pixels(logicalDpiY())) + 2;
    return tornado_panel_height(uncertainty_, step);
}

void TornadoView::refresh() {
    const bool shown = uncertainty_.available() && !uncertainty_.tornado().bars.empty();
    setFixedHeight(shown ? wanted_height() : 0);
    setVisible(shown);
    update();
}

void TornadoView::paintEvent(QPaintEvent*) {
    if (!uncertainty_.available()) return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PainterSurface surface(painter);
    const int step = paint_tornado_panel(surface, uncertainty_, width(), height());
    if (step == 0) return;
    if (step != line_step_) {
        // The font's cell differs from the guess: the height follows next time.
        line_step_ = step;
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    }
}

}  // namespace morbilex
