// Any picture's file (PNG, SVG or PDF) made from one drawing over a QPainter.
#include "picture/picture_file.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <memory>

#include "picture/offscreen_application.h"
#include "picture/picture_type.h"

namespace morbilex {
namespace {

// Beyond this a picture is refused rather than allocated.
constexpr long long LARGEST_IMAGE_PIXELS = 256LL * 1024 * 1024;
constexpr int LARGEST_IMAGE_SIDE = 32767;
constexpr int PICTURE_PIXELS_PER_INCH = 96;

// What a picture export needs for its time: a known picture type (png, svg
// or pdf) and an application to draw with, quiet about its missing session.
class PictureExport {
public:
    explicit PictureExport(const std::string& path) : type_(picture_type_of(path)) {
        if (type_.empty()) {
            error_ = "unknown picture type of " + path + ": use .png, .svg or .pdf";
            return;
        }
        application_ = graphical_application(error_);
    }
    // False with a one-line reason when the picture cannot be made.
    bool ready(std::string& error) const {
        if (error_.empty()) return true;
        error = error_;
        return false;
    }
    const std::string& type() const { return type_; }

private:
    QuietRuntimeFolderNote quiet_;
    std::string type_;
    std::string error_;
    std::unique_ptr<QGuiApplication> application_;
};

// Each side 1 to 32767, at most 256 Mi pixels in all.
bool picture_size_acceptable(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0 || width > LARGEST_IMAGE_SIDE || height > LARGEST_IMAGE_SIDE ||
        static_cast<long long>(width) * height > LARGEST_IMAGE_PIXELS) {
        error =
            "picture size out of range: " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    return true;
}

bool render_png(QIODevice& out, int width, int height, const PictureDrawing& draw,
                std::string& error) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        error = "not enough memory for the picture";
        return false;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    PictureCanvas canvas{painter, QRect(0, 0, width, height), 0, false};
    draw(canvas);
    painter.end();
    if (image.save(&out, "PNG")) return true;
    error = "the PNG could not be encoded";
    return false;
}

// Draws on an SVG generator or a PDF writer, its area that of dots_per_inch.
bool render_vectors(QPaintDevice& device, const char* type, int width, int height,
                    int dots_per_inch, bool white, const PictureStyle& style,
                    const PictureDrawing& draw, std::string& error) {
    const std::string noun = style.errors_name_the_type ? type : "picture";
    QPainter painter;
    if (!painter.begin(&device)) {
        error = "the " + noun + " could not be started";
        return false;
    }
    const QRect area(0, 0, width * dots_per_inch / PICTURE_PIXELS_PER_INCH,
                     height * dots_per_inch / PICTURE_PIXELS_PER_INCH);
    if (white) painter.fillRect(area, Qt::white);
    PictureCanvas canvas{painter, area, dots_per_inch, true};
    draw(canvas);
    if (painter.end()) return true;
    error = "the " + noun + " could not be finished";
    return false;
}

bool render_svg(QIODevice& out, int width, int height, const PictureStyle& style,
                const PictureDrawing& draw, std::string& error) {
    QSvgGenerator generator;
    generator.setOutputDevice(&out);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setResolution(PICTURE_PIXELS_PER_INCH);
    generator.setTitle(style.title);
    return render_vectors(generator, "SVG", width, height, PICTURE_PIXELS_PER_INCH, true, style,
                          draw, error);
}

// The page is the picture: its size in pixels of 96 to the inch, as in SVG,
// without margins.
bool render_pdf(QIODevice& out, int width, int height, const PictureStyle& style,
                const PictureDrawing& draw, std::string& error) {
    QPdfWriter writer(&out);
    writer.setResolution(style.pdf_dots_per_inch);
    const QSizeF inches(width / double(PICTURE_PIXELS_PER_INCH),
                        height / double(PICTURE_PIXELS_PER_INCH));
    writer.setPageLayout(
        QPageLayout(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(style.title);
    return render_vectors(writer, "PDF", width, height, writer.resolution(), style.white_pdf_page,
                          style, draw, error);
}

}  // namespace

bool render_picture(const std::string& path, int width, int height, const PictureStyle& style,
                    const PictureDrawing& draw, std::string& bytes, std::string& error) {
    const PictureExport picture(path);
    if (!picture.ready(error)) return false;
    if (!picture_size_acceptable(width, height, error)) return false;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const std::string& type = picture.type();
    const bool drawn = type == "png"   ? render_png(out, width, height, draw, error)
                       : type == "svg" ? render_svg(out, width, height, style, draw, error)
                                       : render_pdf(out, width, height, style, draw, error);
    if (!drawn) return false;
    bytes.assign(out.data().constData(), static_cast<std::size_t>(out.data().size()));
    return true;
}

}  // namespace morbilex
