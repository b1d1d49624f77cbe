// Any picture's file (PNG, SVG or PDF) made from one drawing over a QPainter.
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <string>

namespace morbilex {

// Where a drawing goes: the painter over the picture's device, the picture in
// device units, and the device's dots per inch (0 for an image: the painter
// takes its own).
struct PictureCanvas {
    QPainter& painter;
    QRect area;
    int dots_per_inch;
    bool vectors;  // SVG or PDF
};
using PictureDrawing = std::function<void(PictureCanvas& canvas)>;

// How the file is made; the defaults are those of a run's chart.
struct PictureStyle {
    QString title = QStringLiteral("Morbilex");
    int pdf_dots_per_inch = 1200;
    bool white_pdf_page = false;       // an SVG is always painted white first
    bool errors_name_the_type = true;  // "the SVG could not be started", or "the picture ..."
};

// The picture's file as bytes, the type by picture_type_of(path), width x
// height pixels (an SVG or a PDF page at 96 to the inch); nothing is written.
// False with a one-line reason.
bool render_picture(const std::string& path, int width, int height, const PictureStyle& style,
                    const PictureDrawing& draw, std::string& bytes, std::string& error);

}  // namespace morbilex
