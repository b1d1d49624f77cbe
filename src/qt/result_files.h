// Keeping the results of the Linux program: the trace of the last run and
// pictures of the view.
#pragma once

#include <QSize>
#include <QString>
#include <string>

#include "chart/chart.h"
#include "model/records.h"
#include "picture/chart_export.h"

namespace morbilex {

// Copies the trace file to target, replacing a file there only once all of it
// is written (a device is written in place). False with the target's full
// path and the system's reason in error.
bool copy_trace(const std::string& trace_path, const std::string& target, std::string& error);

// The view as a picture of the given size: PNG, SVG or PDF by the name's
// extension; a name without one of those gets default_extension. False with
// the full path and the reason in error.
bool export_view(Records& records, const SeriesColours& colours, std::string path,
                 const QString& default_extension, QSize size, std::string& error);
// The same with what draw paints (the explorer view with its figures).
bool export_view(const ViewDrawing& draw, std::string path, const QString& default_extension,
                 QSize size, std::string& error);

}  // namespace morbilex
