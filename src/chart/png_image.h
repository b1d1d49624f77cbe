// Pictures of the view as PNG files, for a program without a picture library:
// 8-bit RGB, no interlace, compressed by runs along a row and repeats of the
// row above.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace morbilex {

// The PNG file of a width by height picture. rgb holds the rows top to bottom,
// each width pixels of red, green and blue bytes. "" when the sizes do not
// match the bytes or a side is not 1 to 32767.
std::string encode_png(int width, int height, std::span<const std::uint8_t> rgb);

}  // namespace morbilex
