// Whether a descriptor is a terminal, as node sees it: the runtime's own
// answer calls every standard stream a terminal, so morbilex-batch would
// draw its progress line into files and pipes.
#include <emscripten.h>

// clang-format off
EM_JS(int, node_descriptor_is_terminal, (int descriptor), {
    return require("tty").isatty(descriptor) ? 1 : 0;
});
// clang-format on

extern "C" int isatty(int descriptor) {
    return node_descriptor_is_terminal(descriptor);
}
