#include "qt/result_files.h"

#include <QFileInfo>
#include <cerrno>

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

bool export_view(const ViewDrawing& draw, std::string path, const QString& default_extension,
                 QSize size, std::string& error) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix != "png" && suffix != "svg" && suffix != "pdf")
        path += "." + default_extension.toStdString();
    error.clear();
    errno = 0;
    if (export_view_picture(draw, path, size.width(), size.height(), error)) return true;
    if (errno != 0) error = file_problem_text(path, errno);
    return false;
}

}  // namespace morbilex
