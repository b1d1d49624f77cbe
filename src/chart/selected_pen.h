// A pen of one colour made current on a surface for a scope.
#pragma once

#include "chart/surface.h"

namespace morbilex {

// A pen of the colour is current while the object lives; a pen that cannot be
// made leaves the line to the current one.
class SelectedPen {
public:
    SelectedPen(Surface& surface, Colour colour, bool dashed = false)
        : surface_(surface),
          pen_(dashed ? surface.create_dashed_pen(colour) : surface.create_pen(colour)) {
        if (pen_ != 0) kept_ = surface_.select_pen(pen_);
    }
    ~SelectedPen() {
        if (pen_ == 0) return;
        surface_.select_pen(kept_);
        surface_.delete_pen(pen_);
    }
    SelectedPen(const SelectedPen&) = delete;
    SelectedPen& operator=(const SelectedPen&) = delete;

private:
    Surface& surface_;
    SurfaceObject pen_;
    SurfaceObject kept_ = 0;
};

}  // namespace morbilex
