#include "qt/result_files.h"

#include <QFileInfo>
#include <cerrno>

#include "picture/chart_export.h"
#include "shell/file_messages.h"

namespace morbilex {
namespace {

constexpr FileType PICTURE_TYPES[] = {
    {"PNG picture", "png"}, {"SVG drawing", "svg"}, {"PDF document", "pdf"}};

// The name with the picture type of its extension, else default_extension's.
std::string picture_path(const std::string& path, const QString& default_extension) {
    int type = 0;
    while (type + 1 < static_cast<int>(std::size(PICTURE_TYPES)) &&
           default_extension != QLatin1String(PICTURE_TYPES[type].extension)) {
        ++type;
    }
    return picture_path_with_type(path, PICTURE_TYPES, type);
}

}  // namespace

std::span<const FileType> picture_file_types() {
    return PICTURE_TYPES;
}

bool export_view(const ViewDrawing& draw, std::string path, const QString& default_extension,
                 QSize size, std::string& error) {
    path = picture_path(path, default_extension);
    error.clear();
    errno = 0;
    if (export_view_picture(draw, path, size.width(), size.height(), error)) return true;
    if (errno != 0) error = file_problem_text(path, errno);
    return false;
}

}  // namespace morbilex
