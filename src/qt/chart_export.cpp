#include "qt/chart_export.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QString>
#include <QSvgGenerator>
#include <cerrno>
#include <cstring>
#include <memory>

#include "qt/offscreen_application.h"
#include "qt/painter_surface.h"

namespace morbilex {
namespace {

constexpr int PDF_DOTS_PER_INCH = 1200;
// Draws the view over width by height device pixels.
enum class Output { Pixels, Vectors };
void paint_picture(QPainter& painter, Records& records, const SeriesColours& colours, int width,
                   int height, int dots_per_inch = 0, Output output = Output::Pixels) {
    PainterSurface surface(painter, dots_per_inch);
    surface.join_lines(output == Output::Vectors);
    paint_view(surface, records, colours, width, height);
}

bool export_png(Records& records, const SeriesColours& colours, QIODevice& out, int width,
                int height, std::string& error) {
    QImage image = blank_picture(width, height, error);
    if (image.isNull()) return false;
    QPainter painter(&image);
    paint_picture(painter, records, colours, width, height);
    painter.end();
    if (!image.save(&out, "PNG")) {
        error = "the PNG could not be encoded";
        return false;
    }
    return true;
}

bool export_svg(Records& records, const SeriesColours& colours, QIODevice& out, int width,
                int height, std::string& error) {
    if (!picture_size_acceptable(width, height, error)) return false;
    QSvgGenerator generator;
    generator.setOutputDevice(&out);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setResolution(96);
    generator.setTitle(QStringLiteral("Morbilex"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        error = "the SVG could not be started";
        return false;
    }
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    paint_picture(painter, records, colours, width, height, 96, Output::Vectors);
    if (!painter.end()) error = "the SVG could not be finished";
    return error.empty();
}

bool export_pdf(Records& records, const SeriesColours& colours, QIODevice& out, int width,
                int height, std::string& error) {
    if (!picture_size_acceptable(width, height, error)) return false;
    // The page is the picture: its size in pixels of 96 to the inch, as in SVG.
    QPdfWriter writer(&out);
    writer.setResolution(PDF_DOTS_PER_INCH);
    set_picture_page(writer, width, height);
    writer.setTitle(QStringLiteral("Morbilex"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        error = "the PDF could not be started";
        return false;
    }
    const int dpi = writer.resolution();
    paint_picture(painter, records, colours, width * dpi / 96, height * dpi / 96, dpi,
                  Output::Vectors);
    if (!painter.end()) error = "the PDF could not be finished";
    return error.empty();
}

}  // namespace

bool render_chart(Records& records, const SeriesColours& colours, const std::string& path,
                  int width, int height, std::string& bytes, std::string& error) {
    const PictureExport picture(path);
    if (!picture.ready(error)) return false;
    const QString& extension = picture.extension();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const bool drawn = extension == "png" ? export_png(records, colours, out, width, height, error)
                       : extension == "svg"
                           ? export_svg(records, colours, out, width, height, error)
                           : export_pdf(records, colours, out, width, height, error);
    if (!drawn) return false;
    bytes.assign(out.data().constData(), static_cast<std::size_t>(out.data().size()));
    return true;
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
