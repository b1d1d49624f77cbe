// A run's chart as a picture file, drawn as the window draws it.
#include "picture/chart_export.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <memory>

#include "picture/painter_surface.h"
#include "picture/picture_file.h"

namespace morbilex {

bool render_chart(Records& records, const SeriesColours& colours, const std::string& path,
                  int width, int height, std::string& bytes, std::string& error) {
    const auto draw = [&](PictureCanvas& canvas) {
        PainterSurface surface(canvas.painter, canvas.dots_per_inch);
        // Vector output joins each curve's lines into polylines.
        surface.join_lines(canvas.vectors);
        const QRect& area = canvas.area;
        draw_view(records, colours, surface, area.x(), area.y(), area.x() + area.width(),
                  area.y() + area.height());
    };
    return render_picture(path, width, height, PictureStyle(), draw, bytes, error);
}

bool render_view_picture(const ViewDrawing& draw, const std::string& path, int width, int height,
                         std::string& bytes, std::string& error) {
    const auto paint = [&](PictureCanvas& canvas) {
        PainterSurface surface(canvas.painter, canvas.dots_per_inch);
        surface.join_lines(canvas.vectors);
        draw(surface, canvas.area.width(), canvas.area.height());
    };
    return render_picture(path, width, height, PictureStyle(), paint, bytes, error);
}

bool export_view_picture(const ViewDrawing& draw, const std::string& path, int width, int height,
                         std::string& error) {
    std::string bytes;
    if (!render_view_picture(draw, path, width, height, bytes, error)) return false;
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (write_whole_file(path, data, error)) return true;
    error = "cannot write " + path + ": " + error;
    return false;
}

bool write_whole_file(const std::string& path, const QByteArray& bytes, std::string& error) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    std::unique_ptr<QFileDevice> file;
    if (info.exists() && !info.isFile() && !info.isDir()) {
        file = std::make_unique<QFile>(name);  // a device or a pipe: never replaced
    } else {
        file = std::make_unique<QSaveFile>(name);
    }
    errno = 0;
    bool written = file->open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                   file->write(bytes) == bytes.size();
    auto* pending = dynamic_cast<QSaveFile*>(file.get());
    written = pending != nullptr ? written && pending->commit() : written;
    if (!written) error = errno != 0 ? std::strerror(errno) : file->errorString().toStdString();
    return written;
}

bool export_chart(Records& records, const SeriesColours& colours, const std::string& path,
                  int width, int height, std::string& error) {
    std::string bytes;
    if (!render_chart(records, colours, path, width, height, bytes, error)) return false;
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (write_whole_file(path, data, error)) return true;
    error = "cannot write " + path + ": " + error;
    return false;
}

}  // namespace morbilex
