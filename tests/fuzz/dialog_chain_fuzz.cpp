// The whole chain from typed text to the picture: the input is cut into the
// texts of one dialog's fields, OK is pressed, the run writes its trace and
// the view is drawn on a surface that checks every call.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "model/simulation.h"
#include "shell/dialogs.h"
#include "text/read.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Maps like GDI's isotropic mode and checks that every device point fits 32
// bits, that no text is longer than 255 characters, and that every pen and
// font is deleted, and never while selected.
class CheckingSurface : public Surface {
public:
    ~CheckingSurface() override { check(live_.empty()); }
    void select_device_default_font() override { font_ = 0; }
    void set_isotropic_mode() override {}
    void set_window_extent(int x, int y) override { extent_x_ = x, extent_y_ = y; }
    void set_viewport_extent(int x, int y) override {
        scale_ = std::fmin(std::fabs(double(x) / extent_x_), std::fabs(double(y) / extent_y_));
    }
    void set_window_origin(int x, int y) override { origin_x_ = x, origin_y_ = y; }
    SurfaceObject create_chart_font(int) override { return make(); }
    SurfaceObject select_font(SurfaceObject font) override { return swap(font_, font); }
    void delete_font(SurfaceObject font) override { release(font, font_); }
    int text_cell_height() override { return 16; }
    SurfaceObject create_pen(Colour) override { return make(); }
    SurfaceObject select_pen(SurfaceObject pen) override { return swap(pen_, pen); }
    void delete_pen(SurfaceObject pen) override { release(pen, pen_); }
    void move_to(int x, int y) override { device_point(x, y); }
    void line_to(int x, int y) override { device_point(x, y); }
    void fill_rectangle(int left, int top, int right, int bottom, Colour) override {
        device_point(left, top);
        device_point(right, bottom);
    }
    void text_out(int x, int y, const char*, int length) override {
        device_point(x, y);
        check(length >= 0 && length <= 255);
    }

private:
    SurfaceObject make() { return *live_.insert(++made_).first; }
    static SurfaceObject swap(SurfaceObject& current, SurfaceObject next) {
        const SurfaceObject previous = current;
        current = next;
        return previous;
    }
    void release(SurfaceObject object, SurfaceObject selected) {
        check(object != selected && live_.erase(object) == 1);
    }
    void device_point(int x, int y) const {
        for (double device : {(x - double(origin_x_)) * scale_, (origin_y_ - double(y)) * scale_})
            check(!(std::fabs(device) > 2147483647.0));
    }
    std::set<SurfaceObject> live_;
    SurfaceObject made_ = 100, font_ = 0, pen_ = 0;
    int extent_x_ = 1, extent_y_ = 1, origin_x_ = 0, origin_y_ = 0;
    double scale_ = 1.0;
};

class TypedControls : public DialogControls {
public:
    void set_text(int id, const char* text) override { texts[id] = text; }
    std::string get_text(int id) override { return texts[id].substr(0, 63); }
    std::string texts[256];
};

}  // namespace
}  // namespace morbilex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morbilex;
    if (size < 2) return 0;
    static const auto records = std::make_unique<Records>();
    static const auto before = std::make_unique<Records>();
    static std::FILE* const scratch = std::fopen("/dev/null", "w");
    records->model = {};
    records->one_time = {};
    records->intermittent = {};
    records->scale = {};
    const DialogTable& table = dialog_table(ALL_DIALOG_KINDS[data[0] % 4]);
    const InterventionMode mode = data[1] % 3;
    TypedControls controls;
    show_dialog_fields(table, *records, controls);
    // The rest, cut at each '|', replaces the fields' texts in display order.
    std::size_t at = 2;
    for (const FieldSpec& field : table.fields) {
        std::string text;
        for (; at < size && data[at] != '|'; ++at)
            text += static_cast<char>(data[at]);
        if (at++ >= size) break;
        if (field.read_order > 0) controls.texts[field.control_id] = text;
    }
    before->model = records->model;
    before->one_time = records->one_time;
    before->intermittent = records->intermittent;
    before->scale = records->scale;
    Refusal refusal;
    const bool accepted =
        accept_dialog(table, *records, controls, &refusal) == AcceptResult::Accepted;
    for (const FieldSpec& field : table.fields) {
        DialogScratch unused;
        if (field.read_order == 0) continue;
        const double* stored = field.storage(*records, unused);
        if (stored == &unused.T_max) continue;
        check(std::isfinite(*stored));
        if (accepted) continue;
        // Refused while reading: fields read before the refused one hold what
        // they read, the rest are untouched. Refused by a test: all were read.
        const FieldSpec* refused = find_field(table, refusal.control_id);
        const bool by_test = refusal.reason == RefusalReason::NegativeValue;
        const double* old = field.storage(*before, unused);
        double typed = 0.0;
        if (by_test || field.read_order < refused->read_order) {
            check(read_leading_number(controls.get_text(field.control_id), typed) &&
                  typed == *stored);
        } else {
            check(*old == *stored || (std::isnan(*old) && std::isnan(*stored)));
        }
    }
    records->mode = mode;
    const int result = run_simulation_to_stream(*records, mode, scratch);
    check(result != RUN_TRACE_NOT_WRITTEN);
    SeriesColours colours;
    init_series_colours(colours);
    CheckingSurface surface;
    draw_view(*records, colours, surface, 0, 0, 1 + data[1] * 8, 1 + data[0] * 8);
    return 0;
}
