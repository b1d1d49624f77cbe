// The chart's drawing operations over a QPainter.
#include "picture/painter_surface.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "chart/readable_font.h"

namespace morbilex {
namespace {

constexpr double SMALLEST_CELL_PIXELS = 1.0;
// Glyphs beyond this size are not rendered reliably; larger text is scaled.
constexpr double LARGEST_DRAWN_CELL_PIXELS = 512.0;

QColor colour_of(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// The nearest device pixel of a device point; false for points no pixel holds.
bool device_pixel(QPointF point, QPoint& pixel) {
    constexpr double LIMIT = 1 << 30;
    if (!(std::fabs(point.x()) < LIMIT && std::fabs(point.y()) < LIMIT)) return false;
    pixel = QPoint(static_cast<int>(std::floor(point.x() + 0.5)),
                   static_cast<int>(std::floor(point.y() + 0.5)));
    return true;
}

QFont chart_face() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace, QFont::PreferDefault);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    return font;
}

QFont default_face() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace

PainterSurface::PainterSurface(QPainter& painter, int dots_per_inch)
    : painter_(painter),
      dots_per_inch_(dots_per_inch > 0 ? dots_per_inch : painter.device()->logicalDpiY()) {
    const double pixel_ratio = std::round(painter.device()->devicePixelRatioF());
    if (pixel_ratio >= 2) line_pixels_ = pixel_ratio;
    const double default_pixels = DEFAULT_FONT_PIXELS_AT_96_DPI * dots_per_inch_ / 96.0;
    fonts_.push_back(make_font(default_face(), default_pixels));
    fonts_[0].in_use = true;
    pens_.push_back({true, Qt::black});
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBackgroundMode(Qt::TransparentMode);
}

PainterSurface::~PainterSurface() {
    flush_lines();
}

void PainterSurface::join_lines(bool joined) {
    flush_lines();
    join_lines_ = joined;
}

void PainterSurface::flush_lines() {
    for (const JoinedLine& line : joined_) {
        use_painter_pen(line.colour, line.dashed);
        painter_.drawPolyline(line.points);
    }
    joined_.clear();
}

void PainterSurface::join_line(const QColor& colour, bool dashed, QPoint from, QPoint to) {
    auto same_colour = std::find_if(joined_.begin(), joined_.end(), [&](const JoinedLine& line) {
        return line.colour == colour && line.dashed == dashed;
    });
    if (same_colour != joined_.end() && same_colour->points.last() == from) {
        same_colour->points << to;
        return;
    }
    if (same_colour != joined_.end()) flush_lines();
    joined_.push_back({colour, dashed, QPolygon({from, to})});
}

PainterSurface::FontSlot PainterSurface::make_font(QFont font, double cell_pixels) const {
    // A cell is ascent plus descent; find the size whose cell has the height.
    // Larger cells are drawn from a font of the largest size scaled up.
    const double device_dpi = painter_.device()->logicalDpiY();
    const double probe_pixels = 100.0;
    font.setPointSizeF(probe_pixels * 72.0 / device_dpi);
    const double probe_cell = QFontMetricsF(font, painter_.device()).height();
    const double wanted = std::max(cell_pixels, SMALLEST_CELL_PIXELS);
    const double drawn = std::min(wanted, LARGEST_DRAWN_CELL_PIXELS);
    const double em_per_cell = probe_cell > 0 ? probe_pixels / probe_cell : 1.0;
    font.setPointSizeF(drawn * em_per_cell * 72.0 / device_dpi);
    const QFontMetricsF metrics(font, painter_.device());
    FontSlot slot;
    slot.in_use = true;
    slot.font = font;
    slot.magnification = metrics.height() > 0 ? wanted / metrics.height() : 1.0;
    if (wanted <= LARGEST_DRAWN_CELL_PIXELS) slot.magnification = 1.0;
    slot.cell_pixels = metrics.height() * slot.magnification;
    slot.ascent_pixels = metrics.ascent();
    return slot;
}

void PainterSurface::select_device_default_font() {
    current_font_ = 1;
}

void PainterSurface::set_isotropic_mode() {
    mapping_.set_isotropic_mode();
}

void PainterSurface::set_window_extent(int x, int y) {
    mapping_.set_window_extent(x, y);
}

void PainterSurface::set_viewport_extent(int x, int y) {
    mapping_.set_viewport_extent(x, y);
}

void PainterSurface::set_window_origin(int x, int y) {
    mapping_.set_window_origin(x, y);
}

QPointF PainterSurface::device_point(double x, double y) const {
    return QPointF(mapping_.device_x(x), mapping_.device_y(y));
}

SurfaceObject PainterSurface::create_chart_font(int cell_height) {
    const double requested = std::fabs(cell_height * mapping_.scale_y());
    const double default_pixels = DEFAULT_FONT_PIXELS_AT_96_DPI * dots_per_inch_ / 96.0;
    const double pixels = readable_chart_font_pixels(requested, default_pixels,
                                                     mapping_.viewport_x(), mapping_.viewport_y());
    // A font made at another height than requested has its cell height in
    // logical units follow from the font actually made.
    const bool requested_size = pixels == requested;
    const SurfaceObject font = take_slot(fonts_);
    fonts_[font - 1] = make_font(chart_face(), pixels);
    fonts_[font - 1].logical_height = requested_size ? cell_height : 0;
    return font;
}

SurfaceObject PainterSurface::select_font(SurfaceObject font) {
    return select_slot(fonts_, current_font_, font);
}

void PainterSurface::delete_font(SurfaceObject font) {
    if (deletable_slot(fonts_, current_font_, font)) fonts_[font - 1] = FontSlot{};
}

int PainterSurface::text_cell_height() {
    const FontSlot& font = fonts_[current_font_ - 1];
    return logical_cell_height(font.logical_height, font.cell_pixels, mapping_.scale_y());
}

double reading_cell_pixels(int dots_per_inch) {
    return PainterSurface::DEFAULT_FONT_PIXELS_AT_96_DPI * dots_per_inch / 96.0;
}

double PainterSurface::reading_cell_height() {
    return reading_cell_pixels(dots_per_inch_);
}

SurfaceObject PainterSurface::create_pen(Colour colour) {
    const SurfaceObject pen = take_slot(pens_);
    pens_[pen - 1].colour = colour_of(colour);
    pens_[pen - 1].dashed = false;
    return pen;
}

SurfaceObject PainterSurface::create_dashed_pen(Colour colour) {
    const SurfaceObject pen = create_pen(colour);
    pens_[pen - 1].dashed = true;
    return pen;
}

SurfaceObject PainterSurface::select_pen(SurfaceObject pen) {
    return select_slot(pens_, current_pen_, pen);
}

void PainterSurface::delete_pen(SurfaceObject pen) {
    if (deletable_slot(pens_, current_pen_, pen)) pens_[pen - 1].in_use = false;
}

void PainterSurface::use_painter_pen(const QColor& colour, bool dashed) {
    if (painter_pen_set_ && painter_pen_colour_ == colour && painter_pen_dashed_ == dashed) return;
    // Of the display's line width whatever the mapping; a flat cap leaves out
    // the end point of a line.
    QPen pen(colour, line_pixels_, dashed ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap);
    if (line_pixels_ > 0) pen.setCosmetic(true);  // a width of 0 is cosmetic already
    painter_.setPen(pen);
    painter_pen_colour_ = colour;
    painter_pen_dashed_ = dashed;
    painter_pen_set_ = true;
}

void PainterSurface::move_to(int x, int y) {
    position_x_ = x;
    position_y_ = y;
}

void PainterSurface::line_to(int x, int y) {
    QPoint from;
    QPoint to;
    const bool drawable = device_pixel(device_point(position_x_, position_y_), from) &&
                          device_pixel(device_point(x, y), to);
    position_x_ = x;
    position_y_ = y;
    if (!drawable || from == to) return;
    const PenSlot& pen = pens_[current_pen_ - 1];
    if (!join_lines_) {
        use_painter_pen(pen.colour, pen.dashed);
        painter_.drawLine(from, to);
        return;
    }
    join_line(pen.colour, pen.dashed, from, to);
}

void PainterSurface::text_out(int x, int y, const char* text, int length) {
    if (length <= 0) return;
    flush_lines();  // text cells cover the lines drawn before them
    const FontSlot& font = fonts_[current_font_ - 1];
    const QString line = QString::fromLatin1(text, length);
    const QPointF corner = device_point(x, y);
    QPoint pixel;
    if (!device_pixel(corner, pixel)) return;
    painter_.setFont(font.font);
    const double width = QFontMetricsF(font.font, painter_.device()).horizontalAdvance(line);
    const double cell = font.cell_pixels / font.magnification;
    const bool magnified = font.magnification != 1.0;
    if (magnified) {
        painter_.save();
        painter_.translate(corner);
        painter_.scale(font.magnification, font.magnification);
    }
    const QPointF origin = magnified ? QPointF(0, 0) : corner;
    painter_.fillRect(QRectF(origin.x(), origin.y(), width, cell), Qt::white);
    use_painter_pen(Qt::black);
    painter_.drawText(QPointF(origin.x(), origin.y() + font.ascent_pixels), line);
    if (magnified) {
        painter_.restore();
        painter_pen_set_ = false;
    }
}

void PainterSurface::fill_rectangle(int left, int top, int right, int bottom, Colour colour) {
    flush_lines();  // the fill covers the lines drawn before it
    QPoint corner_a;
    QPoint corner_b;
    if (!device_pixel(device_point(left, top), corner_a) ||
        !device_pixel(device_point(right, bottom), corner_b)) {
        return;
    }
    painter_.fillRect(QRect(corner_a, corner_b).normalized(), colour_of(colour));
}

}  // namespace morbilex
