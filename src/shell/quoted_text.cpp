#include "shell/quoted_text.h"

namespace morbilex {
namespace {

// The length of the valid UTF-8 character at the start of text, 0 for none.
std::size_t character_length(std::string_view text) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the second byte's range, for no overlong or surrogate form
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xbf) return 0;
    }
    return length;
}

void append_escaped_byte(std::string& out, unsigned char byte) {
    static constexpr char HEX[] = "0123456789abcdef";
    out += "\\x";
    out += HEX[byte >> 4];
    out += HEX[byte & 0xf];
}

std::string escaped(std::string_view text, std::size_t longest, bool quoted) {
    std::string out;
    if (quoted) out += '"';
    std::size_t shown = 0;
    std::size_t at = 0;
    for (; at < text.size() && shown < longest; ++shown) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = character_length(text.substr(at));
        const bool control =
            byte < 0x20 || byte == 0x7f ||
            (byte == 0xc2 && length == 2 && static_cast<unsigned char>(text[at + 1]) < 0xa0);
        if (length == 0 || control) {
            // A C1 control is escaped byte by byte, as a stray byte is.
            const std::size_t bytes = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < bytes; ++k)
                append_escaped_byte(out, static_cast<unsigned char>(text[at + k]));
            at += bytes;
            continue;
        }
        if (byte == '\\' || (quoted && byte == '"')) out += '\\';
        out.append(text.substr(at, length));
        at += length;
    }
    if (quoted) out += '"';
    if (at < text.size()) out += "...";
    return out;
}

}  // namespace

std::string shown_text(std::string_view text, std::size_t longest) {
    return escaped(text, longest, false);
}

std::string quoted_text(std::string_view text, std::size_t longest) {
    return escaped(text, longest, true);
}

}  // namespace morbilex
