// Text a user gave (a line of a file, a cell, an option), made safe to show
// in a one-line message: it cannot move the cursor, retitle a terminal, cut
// the message at a NUL or swamp a window with a megabyte line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morbilex {

// The most characters of a user's text a message shows.
inline constexpr std::size_t SHOWN_TEXT_LENGTH = 60;

// The text with every control character (NUL, C0, DEL, and C1 written in
// UTF-8) and every byte that is not part of a valid UTF-8 character as \xNN,
// a backslash as \\ and, when quoted, a '"' as \". After `longest`
// characters the rest is left out and "..." follows the text.
std::string shown_text(std::string_view text, std::size_t longest = SHOWN_TEXT_LENGTH);

// shown_text in double quotes: "R_0 3", "a\x1b[2J", "xxx..."...
std::string quoted_text(std::string_view text, std::size_t longest = SHOWN_TEXT_LENGTH);

}  // namespace morbilex
