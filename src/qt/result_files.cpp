#include "qt/result_files.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "picture/chart_export.h"
#include "shell/file_messages.h"

namespace morbilex {

bool copy_trace(const std::string& trace_path, const std::string& target, std::string& error) {
    std::error_code failure;
    if (std::filesystem::equivalent(trace_path, target, failure)) {
        // The trace itself goes at exit: a copy must have a name of its own.
        error = file_problem_text(target, 0) +
                " is the trace itself, deleted at exit: choose another name";
        return false;
    }
    QFile trace(QString::fromStdString(trace_path));
    errno = 0;
    if (!trace.open(QIODevice::ReadOnly)) {
        error = file_problem_text(trace_path, errno != 0 ? errno : EIO);
        return false;
    }
    const QByteArray bytes = trace.readAll();
    if (trace.error() != QFileDevice::NoError) {
        error = file_problem_text(trace_path, EIO);
        return false;
    }
    std::string reason;
    if (write_whole_file(target, bytes, reason)) return true;
    error = file_problem_text(target, 0) + ": " + reason;
    return false;
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

bool export_view(Records& records, const SeriesColours& colours, std::string path,
                 const QString& default_extension, QSize size, std::string& error) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix != "png" && suffix != "svg" && suffix != "pdf")
        path += "." + default_extension.toStdString();
    error.clear();
    errno = 0;
    if (export_chart(records, colours, path, size.width(), size.height(), error)) return true;
    if (errno != 0) error = file_problem_text(path, errno);
    return false;
}

}  // namespace morbilex
