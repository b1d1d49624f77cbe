// The tornado of the page's ranges: the core paints each ranged field's
// effect on the peak for the page's canvas under the figures, as the desktop
// programs show it.
#include <emscripten.h>

#include <cstdint>

#include "explore/uncertainty.h"
#include "page.h"

using namespace morbilex;
using namespace morbilex::web;

extern "C" {

// The canvas's height in device pixels for the tornado in a font of
// default_font_pixels: 0 without ranges (the canvas hidden). The ranges as
// the last page_uncertainty brought them up to date.
EMSCRIPTEN_KEEPALIVE int page_tornado_height(Page* page, double default_font_pixels) {
    WebSurface surface(default_font_pixels);
    return tornado_panel_height(page->explorer.uncertainty, tornado_line_step(surface));
}

// The tornado painted for a canvas of width x height device pixels:
// page_tornado_commands_size commands, their text page_tornado_commands_text.
EMSCRIPTEN_KEEPALIVE const std::int32_t* page_tornado_paint(Page* page, int width, int height,
                                                            double default_font_pixels) {
    page->tornado_surface = std::make_unique<WebSurface>(default_font_pixels);
    paint_tornado_panel(*page->tornado_surface, page->explorer.uncertainty, width, height);
    return page->tornado_surface->commands().data();
}
EMSCRIPTEN_KEEPALIVE int page_tornado_commands_size(Page* page) {
    return static_cast<int>(page->tornado_surface->commands().size());
}
EMSCRIPTEN_KEEPALIVE const char* page_tornado_commands_text(Page* page) {
    return page->tornado_surface->text().data();
}

}  // extern "C"
