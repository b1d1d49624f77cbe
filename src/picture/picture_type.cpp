// A picture's type by its file name, without Qt.
#include "picture/picture_type.h"

#include <sys/stat.h>

#include <cctype>

namespace morbilex {

std::string picture_type_of(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png" || extension == "svg" || extension == "pdf") return extension;
    if (path == "-") return "png";  // standard output
    struct stat info = {};
    const bool special =
        stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    return special ? "png" : "";
}

}  // namespace morbilex
