// A run's chart as a picture file (PNG, SVG or PDF), drawn as the window draws it.
#pragma once

#include <QByteArray>
#include <functional>
#include <string>

#include "chart/chart.h"
#include "model/records.h"

namespace morbilex {

inline constexpr int DEFAULT_IMAGE_WIDTH = 1200;
inline constexpr int DEFAULT_IMAGE_HEIGHT = 700;

// width and height are pixels of the picture; an SVG and a PDF page have that
// size at 96 pixels to the inch. Returns false with a one-line reason in error.
bool export_chart(Records& records, const SeriesColours& colours, const std::string& path,
                  int width, int height, std::string& error);

// The same picture as the bytes of its file, the type by the extension of path;
// nothing is written.
bool render_chart(Records& records, const SeriesColours& colours, const std::string& path,
                  int width, int height, std::string& bytes, std::string& error);

// Any view as a picture: draw paints width by height device units from the
// surface's top-left corner (the explorer view, as the window shows it).
using ViewDrawing = std::function<void(Surface& surface, int width, int height)>;
bool render_view_picture(const ViewDrawing& draw, const std::string& path, int width, int height,
                         std::string& bytes, std::string& error);
bool export_view_picture(const ViewDrawing& draw, const std::string& path, int width, int height,
                         std::string& error);

// Puts bytes at path whole or not at all: a regular file, or a path where
// nothing stands, is replaced only once all of it is written (a failure leaves
// the old file as it was); a device or a pipe is written in place and stays.
// False with the system's reason in error.
bool write_whole_file(const std::string& path, const QByteArray& bytes, std::string& error);

}  // namespace morbilex
