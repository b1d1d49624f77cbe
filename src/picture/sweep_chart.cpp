// Draws the sweep pictures: a metric's lines over one field, or its heat map over two.
#include "picture/sweep_chart.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "picture/axis_scale.h"
#include "picture/picture_file.h"

namespace morbilex {
namespace {

constexpr int DOTS_PER_INCH = 96;  // SVG and PDF: a pixel of --size is 1/96 inch

// The colours (sweep_picture.h) as the painter takes them.
const QColor MISSING(MISSING_COLOUR);
const QColor GRID(GRID_COLOUR);

using Painting = std::function<void(QPainter&, const QRectF&)>;

QColor viridis(double t) {
    const double position = std::clamp(t, 0.0, 1.0) * (std::size(VIRIDIS) - 1);
    const std::size_t low =
        std::min<std::size_t>(static_cast<std::size_t>(position), std::size(VIRIDIS) - 2);
    const double f = position - low;
    const QColor a(VIRIDIS[low]), b(VIRIDIS[low + 1]);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f,
                            a.greenF() + (b.greenF() - a.greenF()) * f,
                            a.blueF() + (b.blueF() - a.blueF()) * f);
}

QString text_of(const std::string& text) {
    return QString::fromStdString(text);
}

QFont font_of(double pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

void set_font(QPainter& painter, double pixels, bool bold = false) {
    painter.setFont(font_of(pixels, bold));
}

// Base text size of a picture.
double font_pixels(const QRectF& page) {
    return sweep_text_pixels(page.width(), page.height());
}

QRectF rectangle(const PictureBox& box) {
    return {box.left, box.top, box.width, box.height};
}

void draw_title(QPainter& painter, const QRectF& page, const std::string& title, double text) {
    set_font(painter, text * 1.15, true);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(page.left(), page.top() + text * 0.4, page.width(), text * 1.8),
                     Qt::AlignCenter, text_of(title));
}

void draw_axis_names(QPainter& painter, const QRectF& plot, const std::string& x_name,
                     const std::string& y_name, double text) {
    set_font(painter, text * 1.05);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(plot.left(), plot.bottom() + text * 1.9, plot.width(), text * 1.6),
                     Qt::AlignCenter, text_of(x_name));
    painter.save();
    painter.translate(plot.left() - text * 4.6, plot.center().y());
    painter.rotate(-90.0);
    painter.drawText(QRectF(-plot.height() / 2, -text * 0.8, plot.height(), text * 1.6),
                     Qt::AlignCenter, text_of(y_name));
    painter.restore();
}

// ---- heat map

// Where the cells and the colour bar go on the page.
struct QtHeatFrame {
    QRectF plot, bar;
};

QtHeatFrame heat_frame(const QRectF& page, double text) {
    const HeatFrame frame =
        heat_map_frame({page.left(), page.top(), page.width(), page.height()}, text);
    return {rectangle(frame.plot), rectangle(frame.bar)};
}

void draw_cells(QPainter& painter, const SweepHeatMap& map, const HeatMapLayout& layout,
                const QRectF& plot, double text) {
    const std::size_t columns = map.x_values.size(), rows = map.y_values.size();
    const double width = plot.width() / columns, height = plot.height() / rows;
    set_font(painter, std::min({text, height * 0.38, width / 4.2}));
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            const HeatCell& shown = layout.cells[row * columns + column];
            // The first row at the bottom, as on a plot's axis.
            const QRectF cell(plot.left() + column * width, plot.bottom() - (row + 1) * height,
                              width, height);
            painter.fillRect(cell.adjusted(0, 0, 0.5, 0.5),
                             shown.missing ? MISSING : viridis(shown.shade));
            if (shown.text.empty()) continue;
            painter.setPen(shown.light_text ? Qt::white : Qt::black);
            painter.drawText(cell, Qt::AlignCenter, text_of(shown.text));
        }
    }
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

void draw_heat_ticks(QPainter& painter, const SweepHeatMap& map, const HeatMapLayout& layout,
                     const QRectF& plot, double text) {
    set_font(painter, text);
    painter.setPen(Qt::black);
    const double width = plot.width() / map.x_values.size();
    const double height = plot.height() / map.y_values.size();
    for (const GridLabel& label : layout.x_labels) {
        const double centre = plot.left() + (label.index + 0.5) * width;
        painter.drawLine(QPointF(centre, plot.bottom()),
                         QPointF(centre, plot.bottom() + text * 0.4));
        painter.drawText(QRectF(centre - width * layout.x_stride / 2, plot.bottom() + text * 0.5,
                                width * layout.x_stride, text * 1.4),
                         Qt::AlignHCenter | Qt::AlignTop, text_of(label.text));
    }
    for (const GridLabel& label : layout.y_labels) {
        const double centre = plot.bottom() - (label.index + 0.5) * height;
        painter.drawLine(QPointF(plot.left() - text * 0.4, centre), QPointF(plot.left(), centre));
        painter.drawText(QRectF(plot.left() - text * 5.5, centre - text, text * 5.0, text * 2.0),
                         Qt::AlignRight | Qt::AlignVCenter, text_of(label.text));
    }
}

void draw_colour_bar(QPainter& painter, const QRectF& bar, const std::string& metric,
                     const HeatMapLayout& layout, double text) {
    if (layout.single_value) {
        painter.fillRect(bar, viridis(0.5));
    } else {
        QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
        for (std::size_t k = 0; k < std::size(VIRIDIS); ++k) {
            gradient.setColorAt(static_cast<double>(k) / (std::size(VIRIDIS) - 1),
                                QColor(VIRIDIS[k]));
        }
        painter.fillRect(bar, gradient);
    }
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    set_font(painter, text * 0.9);
    const QFontMetricsF metrics(painter.font());
    double widest = 0.0;
    for (const ScaleLabel& label : layout.scale_labels) {
        const QString label_text = text_of(label.text);
        widest = std::max(widest, metrics.horizontalAdvance(label_text));
        const double y = bar.bottom() - label.position * bar.height();
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + text * 0.4, y));
        painter.drawText(QRectF(bar.right() + text * 0.6, y - text, text * 6.0, text * 2.0),
                         Qt::AlignLeft | Qt::AlignVCenter, label_text);
    }
    painter.save();
    painter.translate(bar.right() + text * 2.2 + widest, bar.center().y());
    painter.rotate(90.0);
    set_font(painter, text);
    painter.drawText(QRectF(-bar.height() / 2, -text * 0.8, bar.height(), text * 1.6),
                     Qt::AlignCenter, text_of(metric));
    painter.restore();
}

void paint_heat_map(QPainter& painter, const QRectF& page, const SweepHeatMap& map) {
    const double text = font_pixels(page);
    const QtHeatFrame frame = heat_frame(page, text);
    // The x labels are measured in the font the painter draws them with.
    set_font(painter, text);
    const QFontMetricsF metrics(painter.font());
    const HeatMapLayout layout = lay_out_heat_map(
        map, frame.plot.width() / map.x_values.size(), frame.plot.height() / map.y_values.size(),
        text, [&](const std::string& label) { return metrics.horizontalAdvance(text_of(label)); });
    draw_title(painter, page, map.title, text);
    draw_cells(painter, map, layout, frame.plot, text);
    draw_heat_ticks(painter, map, layout, frame.plot, text);
    draw_axis_names(painter, frame.plot, map.x_name, map.y_name, text);
    draw_colour_bar(painter, frame.bar, map.metric, layout, text);
}

// ---- line chart

struct LineScale {
    QRectF plot;
    double x_low, x_high, y_low, y_high;
    QPointF at(double x, double y) const {
        return {plot.left() + (x - x_low) / (x_high - x_low) * plot.width(),
                plot.bottom() - (y - y_low) / (y_high - y_low) * plot.height()};
    }
};

// The legend's box: a short line and the longest label.
double legend_width(const SweepLineChart& chart, double text) {
    const QFontMetricsF metrics(font_of(text));
    double widest = 0.0;
    for (const LineSeries& series : chart.series)
        widest = std::max(widest, metrics.horizontalAdvance(text_of(series.label)));
    return widest + text * 3.6;
}

LineScale line_scale(const SweepLineChart& chart, const QRectF& page, double text) {
    const LineRange range = line_chart_range(chart);
    const double left = page.left() + text * 6.0, top = page.top() + text * 3.0;
    const double right =
        page.right() - (has_legend(chart) ? legend_width(chart, text) + text * 2.0 : text * 3.0);
    const QRectF plot(left, top, right - left, page.bottom() - text * 4.2 - top);
    return {plot, range.x_low, range.x_high, range.y_low, range.y_high};
}

void draw_line_grid(QPainter& painter, const LineScale& scale, double text) {
    set_font(painter, text);
    for (double x : ticks_between(scale.x_low, scale.x_high, 8)) {
        const QPointF foot = scale.at(x, scale.y_low);
        painter.setPen(QPen(GRID, 1.0));
        painter.drawLine(foot, QPointF(foot.x(), scale.plot.top()));
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(foot.x() - text * 4, scale.plot.bottom() + text * 0.5, text * 8, text * 1.4),
            Qt::AlignHCenter | Qt::AlignTop, text_of(axis_text(x)));
    }
    for (double y : ticks_between(scale.y_low, scale.y_high, 6)) {
        const QPointF start = scale.at(scale.x_low, y);
        painter.setPen(QPen(GRID, 1.0));
        painter.drawLine(start, QPointF(scale.plot.right(), start.y()));
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(scale.plot.left() - text * 5.5, start.y() - text, text * 5.0, text * 2.0),
            Qt::AlignRight | Qt::AlignVCenter, text_of(axis_text(y)));
    }
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(scale.plot);
}

// One series: a line through its points in x order, broken where a value is
// not finite, and a mark on each point.
void draw_series(QPainter& painter, const LineSeries& series, const LineScale& scale,
                 const QColor& colour, double text) {
    std::vector<std::size_t> order(series.x.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return series.x[a] < series.x[b]; });
    QPainterPath path;
    bool drawing = false;
    for (std::size_t k : order) {
        if (!std::isfinite(series.y[k])) {
            drawing = false;
            continue;
        }
        const QPointF point = scale.at(series.x[k], series.y[k]);
        drawing ? path.lineTo(point) : path.moveTo(point);
        drawing = true;
    }
    painter.setPen(QPen(colour, std::max(1.5, text * 0.16)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    const double radius = order.size() <= 60 ? text * 0.25 : 0.0;
    painter.setBrush(colour);
    for (std::size_t k : order) {
        if (radius > 0.0 && std::isfinite(series.y[k]))
            painter.drawEllipse(scale.at(series.x[k], series.y[k]), radius, radius);
    }
}

void draw_legend(QPainter& painter, const SweepLineChart& chart, const LineScale& scale,
                 double text) {
    set_font(painter, text);
    const double row = text * 1.5, width = legend_width(chart, text);
    const QRectF box(scale.plot.right() + text * 1.2, scale.plot.top(), width,
                     row * chart.series.size() + text * 0.4);
    painter.setPen(QPen(GRID, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    for (std::size_t k = 0; k < chart.series.size(); ++k) {
        const double y = box.top() + text * 0.2 + row * (k + 0.5);
        const QColor colour(SERIES_COLOURS[k % std::size(SERIES_COLOURS)]);
        painter.setPen(QPen(colour, std::max(1.5, text * 0.16)));
        painter.drawLine(QPointF(box.left() + text * 0.5, y), QPointF(box.left() + text * 2.5, y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + text * 3.0, y - row / 2, width - text * 3.0, row),
                         Qt::AlignLeft | Qt::AlignVCenter, text_of(chart.series[k].label));
    }
}

void paint_line_chart(QPainter& painter, const QRectF& page, const SweepLineChart& chart) {
    const double text = font_pixels(page);
    const LineScale scale = line_scale(chart, page, text);
    draw_title(painter, page, chart.title, text);
    draw_line_grid(painter, scale, text);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (std::size_t k = 0; k < chart.series.size(); ++k) {
        draw_series(painter, chart.series[k], scale,
                    QColor(SERIES_COLOURS[k % std::size(SERIES_COLOURS)]), text);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw_axis_names(painter, scale.plot, chart.x_name, chart.y_name, text);
    if (has_legend(chart)) draw_legend(painter, chart, scale, text);
}

// ---- the files

// Sweep pictures: every type on white at 96 dots per inch, text smoothed in images.
bool render_file(const std::string& path, int width, int height, const Painting& paint,
                 std::string& bytes, std::string& error) {
    PictureStyle style;
    style.title = QStringLiteral("Morbilex sweep");
    style.pdf_dots_per_inch = DOTS_PER_INCH;
    style.white_pdf_page = true;
    style.errors_name_the_type = false;
    const auto draw = [&](PictureCanvas& canvas) {
        if (!canvas.vectors) canvas.painter.setRenderHint(QPainter::TextAntialiasing, true);
        paint(canvas.painter, QRectF(canvas.area));
    };
    return render_picture(path, width, height, style, draw, bytes, error);
}

}  // namespace

bool render_sweep_line_chart(const SweepLineChart& chart, const std::string& path, int width,
                             int height, std::string& bytes, std::string& error) {
    if (chart.series.empty()) {
        error = "nothing to draw";
        return false;
    }
    return render_file(
        path, width, height,
        [&](QPainter& painter, const QRectF& page) { paint_line_chart(painter, page, chart); },
        bytes, error);
}

bool render_sweep_heat_map(const SweepHeatMap& map, const std::string& path, int width, int height,
                           std::string& bytes, std::string& error) {
    if (map.x_values.empty() || map.y_values.empty() ||
        map.cells.size() != map.x_values.size() * map.y_values.size()) {
        error = "the heat map's cells do not fill its grid";
        return false;
    }
    return render_file(
        path, width, height,
        [&](QPainter& painter, const QRectF& page) { paint_heat_map(painter, page, map); }, bytes,
        error);
}

}  // namespace morbilex
