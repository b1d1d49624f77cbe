// Keeping the results of the Linux program: pictures of the view. The trace's
// copy is the shared one (copy_trace).
#pragma once

#include <QSize>
#include <QString>
#include <span>
#include <string>

#include "chart/chart.h"
#include "model/records.h"
#include "picture/chart_export.h"
#include "shell/result_saving.h"

namespace morbilex {

// PNG, SVG and PDF, in the order the save dialog offers them.
std::span<const FileType> picture_file_types();

// The view as a picture of the given size: PNG, SVG or PDF by the name's
// extension; a name without one of those gets default_extension. False with
// the full path and the reason in error.
bool export_view(Records& records, const SeriesColours& colours, std::string path,
                 const QString& default_extension, QSize size, std::string& error);
// The same with what draw paints (the explorer view with its figures).
bool export_view(const ViewDrawing& draw, std::string path, const QString& default_extension,
                 QSize size, std::string& error);

}  // namespace morbilex
