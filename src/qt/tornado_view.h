// The tornado of the explorer's ranges in the figures panel: the core's
// drawing of each ranged field's effect on the peak, painted through the
// Surface as pictures and prints show it.
#pragma once

#include <QWidget>

namespace morbilex {

class ExplorerUncertainty;

class TornadoView : public QWidget {
public:
    TornadoView(const ExplorerUncertainty& uncertainty, QWidget* parent = nullptr);
    // Shown while the ranges give a tornado, as tall as its bars need.
    void refresh();
    // The height its title and bars take in the font it draws with.
    int wanted_height() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ExplorerUncertainty& uncertainty_;
    int line_step_ = 0;  // as the last paint found it
};

}  // namespace morbilex
