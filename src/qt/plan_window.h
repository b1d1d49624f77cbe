// The result of a plan search in the Linux program: its lines, the best plan
// to load, and the front as a chart whose points load their plans.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>

#include "explore/plan_finder.h"

class QLabel;

namespace morbilex {

// The front drawn by the core (paint_plan_front); a click loads the plan
// nearest it.
class PlanFrontView : public QWidget {
public:
    PlanFrontView(const PlanFinding& finding, std::function<void(int)> load, QWidget* parent);
    QSize sizeHint() const override { return {480, 320}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const PlanFinding& finding_;
    std::function<void(int)> load_;
};

// A window that shows the finding; load(index) loads a plan of the front.
class PlanWindow : public QDialog {
public:
    PlanWindow(const PlanFinding& finding, std::function<void(int)> load, QWidget* parent);
    // The finding changed: its lines and front shown anew.
    void refresh();

private:
    const PlanFinding& finding_;
    QLabel* lines_;
    PlanFrontView* front_;
};

}  // namespace morbilex
