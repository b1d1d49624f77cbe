#include "text/shortest.h"

#include <charconv>
#include <cmath>

namespace morbilex {

char* write_shortest(char* out, double value) {
    return std::to_chars(out, out + SHORTEST_TEXT_LIMIT, value).ptr;
}

void append_shortest(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    char buffer[SHORTEST_TEXT_LIMIT];
    out.append(buffer, write_shortest(buffer, value));
}

}  // namespace morbilex
