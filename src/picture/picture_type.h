// A picture's type by its file name, without Qt.
// The command line checks it before anything is drawn.
#pragma once

#include <string>

namespace morbilex {

// "png", "svg" or "pdf" by the extension of path, in any case; a device or a
// pipe without one (/dev/stdout, or - for standard output) takes "png".
// Empty when unknown.
std::string picture_type_of(const std::string& path);

}  // namespace morbilex
