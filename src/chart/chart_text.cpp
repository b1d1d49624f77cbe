#include "chart/chart_text.h"

#include <cstring>

namespace morbilex {

void draw_formatted_text(Surface& surface, int x, int y, std::string_view format,
                         std::initializer_list<FormatArgument> arguments) {
    char text[CHART_TEXT_CAPACITY];
    std::size_t length = format_text(text, sizeof text, format, arguments);
    if (length >= sizeof text) {
        length = sizeof text - 1;
        static constexpr char CUT_MARK[] = "...";
        std::memcpy(text + length - (sizeof CUT_MARK - 1), CUT_MARK, sizeof CUT_MARK - 1);
    }
    surface.text_out(x, y, text, static_cast<int>(length));
}

}  // namespace morbilex
