#include "qt/plan_window.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "picture/painter_surface.h"

namespace morbilex {

PlanFrontView::PlanFrontView(const PlanFinding& finding, std::function<void(int)> load,
                             QWidget* parent)
    : QWidget(parent), finding_(finding), load_(std::move(load)) {
    setMinimumSize(240, 160);
    setToolTip(QStringLiteral("Click a plan to load it"));
}

void PlanFrontView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PainterSurface surface(painter);
    paint_plan_front(surface, finding_, width(), height());
}

void PlanFrontView::mousePressEvent(QMouseEvent* event) {
    const int index =
        front_point_at(finding_, width(), height(), static_cast<int>(event->position().x()),
                       static_cast<int>(event->position().y()));
    if (index >= 0) load_(index);
}

PlanWindow::PlanWindow(const PlanFinding& finding, std::function<void(int)> load, QWidget* parent)
    : QDialog(parent), finding_(finding) {
    setWindowTitle(QStringLiteral("Find a plan"));
    auto* layout = new QVBoxLayout(this);
    lines_ = new QLabel(this);
    lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lines_);
    auto* best = new QPushButton(QStringLiteral("&Load the plan"), this);
    connect(best, &QPushButton::clicked, this, [load] { load(0); });
    layout->addWidget(best);
    front_ = new PlanFrontView(finding, load, this);
    layout->addWidget(front_, 1);
    refresh();
}

void PlanWindow::refresh() {
    QString text;
    for (const std::string& line : plan_finding_lines(finding_)) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += QString::fromStdString(line);
    }
    lines_->setText(text);
    front_->update();
}

}  // namespace morbilex
