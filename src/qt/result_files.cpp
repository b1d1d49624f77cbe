#include "qt/result_files.h"

#include <cerrno>
#include <iterator>

#include "picture/chart_export.h"
#include "shell/file_messages.h"

namespace morbilex {
namespace {

constexpr FileType PICTURE_TYPES[] = {
    {"PNG picture", "png"}, {"SVG drawing", "svg"}, {"PDF document", "pdf"}};

}  // namespace

std::span<const FileType> picture_file_types() {
    return PICTURE_TYPES;
}

bool export_view(Records& records, const SeriesColours& colours, std::string path,
                 const QString& default_extension, QSize size, std::string& error) {
    int type = 0;
    while (type + 1 < static_cast<int>(std::size(PICTURE_TYPES)) &&
           default_extension != QLatin1String(PICTURE_TYPES[type].extension)) {
        ++type;
    }
    path = picture_path_with_type(path, PICTURE_TYPES, type);
    error.clear();
    errno = 0;
    if (export_chart(records, colours, path, size.width(), size.height(), error)) return true;
    if (errno != 0) error = file_problem_text(path, errno);
    return false;
}

}  // namespace morbilex
