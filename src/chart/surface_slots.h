// The font and pen tables of a surface that makes its own objects (the
// painter's, the web page's): slot 0 is the device default, an object's id is
// its slot + 1, and freed slots are taken again.
#pragma once

#include <climits>
#include <cmath>
#include <vector>

#include "chart/surface.h"

namespace morbilex {

template <typename Slot>
SurfaceObject take_slot(std::vector<Slot>& table) {
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (!table[i].in_use) {
            table[i].in_use = true;
            return i + 1;
        }
    }
    table.push_back({});
    table.back().in_use = true;
    return table.size();
}

// Makes wanted current when it is an object in use; returns the one it replaces.
template <typename Slot>
SurfaceObject select_slot(const std::vector<Slot>& table, SurfaceObject& current,
                          SurfaceObject wanted) {
    const SurfaceObject replaced = current;
    if (wanted >= 1 && wanted <= table.size() && table[wanted - 1].in_use) current = wanted;
    return replaced;
}

// Whether the object may be deleted: the default and the current one stay.
template <typename Slot>
bool deletable_slot(const std::vector<Slot>& table, SurfaceObject current, SurfaceObject id) {
    return id > 1 && id <= table.size() && id != current;
}

// A font's cell height in logical units: the one asked for when the font was
// made at that height, else what its device cell measures under the mapping.
inline int logical_cell_height(int logical_height, double cell_pixels, double scale_y) {
    if (logical_height != 0) return logical_height;
    const double logical = cell_pixels / std::fabs(scale_y);
    return logical < INT_MAX ? static_cast<int>(std::lround(logical)) : INT_MAX;
}

}  // namespace morbilex
