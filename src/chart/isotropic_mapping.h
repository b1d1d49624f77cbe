// The mapping a surface keeps of logical units onto device pixels: window
// extent, viewport extent and window origin, with one common scale in
// isotropic mode. Surfaces that map for themselves (the painter's, the web
// page's) share it; the platform's own device context maps for the GDI one.
#pragma once

#include <algorithm>
#include <cmath>

namespace morbilex {

class IsotropicMapping {
public:
    void set_isotropic_mode() {
        isotropic_ = true;
        update_scale();
    }
    // A zero extent is refused, as the platform does.
    void set_window_extent(int x, int y) {
        if (x == 0 || y == 0) return;
        window_x_ = x;
        window_y_ = y;
        update_scale();
    }
    void set_viewport_extent(int x, int y) {
        if (x == 0 || y == 0) return;
        viewport_x_ = x;
        viewport_y_ = y;
        update_scale();
    }
    void set_window_origin(int x, int y) {
        origin_x_ = x;
        origin_y_ = y;
    }

    // Device coordinates of a logical point, and logical ones of a device point.
    double device_x(double x) const { return (x - origin_x_) * scale_x_; }
    double device_y(double y) const { return (y - origin_y_) * scale_y_; }
    double logical_x(double device_x) const { return device_x / scale_x_ + origin_x_; }
    double logical_y(double device_y) const { return device_y / scale_y_ + origin_y_; }

    double scale_y() const { return scale_y_; }
    int viewport_x() const { return viewport_x_; }
    int viewport_y() const { return viewport_y_; }

private:
    static int sign(int value) { return value < 0 ? -1 : 1; }
    void update_scale() {
        if (!isotropic_) return;
        // One common scale, the smaller one, so that the whole window extent fits.
        const double s = std::min(std::fabs(static_cast<double>(viewport_x_) / window_x_),
                                  std::fabs(static_cast<double>(viewport_y_) / window_y_));
        scale_x_ = s * sign(viewport_x_) * sign(window_x_);
        scale_y_ = s * sign(viewport_y_) * sign(window_y_);
    }

    bool isotropic_ = false;
    int window_x_ = 1, window_y_ = 1, viewport_x_ = 1, viewport_y_ = 1;
    int origin_x_ = 0, origin_y_ = 0;
    double scale_x_ = 1.0, scale_y_ = 1.0;
};

}  // namespace morbilex
