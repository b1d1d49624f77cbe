// A surface that logs every call with its logical arguments, for tests that
// check the exact coordinates, texts and order of a drawing.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "chart/surface.h"

namespace morbilex::testing {

struct SurfaceCall {
    std::string operation;
    int x = 0;
    int y = 0;
    std::string text;
    SurfaceObject object = 0;  // font or pen handed in or made
    Colour colour = 0;         // of a pen made, or of the current pen for line_to
};

struct Segment {
    int x0, y0, x1, y1;
    Colour colour;
    bool operator==(const Segment&) const = default;
};

struct PlacedText {
    int x, y;
    std::string text;
    bool operator==(const PlacedText&) const = default;
};

class RecordingSurface : public Surface {
public:
    static constexpr SurfaceObject DEVICE_DEFAULT_FONT = 1;
    static constexpr SurfaceObject DEFAULT_PEN = 2;
    static constexpr Colour DEFAULT_PEN_COLOUR = 0x000000;

    explicit RecordingSurface(int default_font_height = 16)
        : default_font_height_(default_font_height) {}

    std::vector<SurfaceCall> calls;
    bool fail_to_create = false;  // create_pen and create_chart_font return 0
    double reading_cell = READING_CELL_AT_96_DPI;
    double reading_cell_height() override { return reading_cell; }

    void select_device_default_font() override {
        log("select_device_default_font");
        current_font_ = DEVICE_DEFAULT_FONT;
    }
    void set_isotropic_mode() override { log("set_isotropic_mode"); }
    void set_window_extent(int x, int y) override { log("set_window_extent", x, y); }
    void set_viewport_extent(int x, int y) override { log("set_viewport_extent", x, y); }
    void set_window_origin(int x, int y) override { log("set_window_origin", x, y); }

    SurfaceObject create_chart_font(int cell_height) override {
        const SurfaceObject font = fail_to_create ? 0 : next_object_++;
        if (font != 0) fonts_.push_back({font, cell_height});
        log("create_chart_font", 0, cell_height, std::string(), font);
        return font;
    }
    SurfaceObject select_font(SurfaceObject font) override {
        log("select_font", 0, 0, std::string(), font);
        const SurfaceObject replaced = current_font_;
        current_font_ = font;
        return replaced;
    }
    void delete_font(SurfaceObject font) override {
        log("delete_font", 0, 0, std::string(), font);
        if (font == current_font_) ++objects_deleted_while_selected;
        std::erase_if(fonts_, [font](const FontEntry& entry) { return entry.font == font; });
    }
    int text_cell_height() override {
        log("text_cell_height");
        for (const FontEntry& entry : fonts_) {
            if (entry.font == current_font_) return entry.height;
        }
        return default_font_height_;
    }

    SurfaceObject create_pen(Colour colour) override {
        const SurfaceObject pen = fail_to_create ? 0 : next_object_++;
        if (pen != 0) pens_.push_back({pen, colour});
        log("create_pen", 0, 0, std::string(), pen, colour);
        return pen;
    }
    SurfaceObject select_pen(SurfaceObject pen) override {
        log("select_pen", 0, 0, std::string(), pen);
        const SurfaceObject replaced = current_pen_;
        current_pen_ = pen;
        return replaced;
    }
    void delete_pen(SurfaceObject pen) override {
        log("delete_pen", 0, 0, std::string(), pen);
        if (pen == current_pen_) ++objects_deleted_while_selected;
        std::erase_if(pens_, [pen](const PenEntry& entry) { return entry.pen == pen; });
    }

    void move_to(int x, int y) override {
        log("move_to", x, y);
        position_x_ = x;
        position_y_ = y;
    }
    void line_to(int x, int y) override {
        log("line_to", x, y, std::string(), current_pen_, current_pen_colour());
        segments_.push_back({position_x_, position_y_, x, y, current_pen_colour()});
        position_x_ = x;
        position_y_ = y;
    }
    void text_out(int x, int y, const char* text, int length) override {
        log("text_out", x, y, std::string(text, static_cast<std::size_t>(length)));
        texts_.push_back({x, y, std::string(text, static_cast<std::size_t>(length))});
    }
    void fill_rectangle(int left, int top, int right, int bottom, Colour colour) override {
        log("fill_rectangle", left, top, std::to_string(right) + "," + std::to_string(bottom), 0,
            colour);
    }

    const std::vector<Segment>& segments() const { return segments_; }
    const std::vector<PlacedText>& texts() const { return texts_; }
    int live_objects() const { return static_cast<int>(fonts_.size() + pens_.size()); }
    SurfaceObject current_font() const { return current_font_; }
    SurfaceObject current_pen() const { return current_pen_; }
    int count(const std::string& operation) const {
        int n = 0;
        for (const SurfaceCall& call : calls)
            n += call.operation == operation;
        return n;
    }
    int objects_deleted_while_selected = 0;

private:
    struct FontEntry {
        SurfaceObject font;
        int height;
    };
    struct PenEntry {
        SurfaceObject pen;
        Colour colour;
    };
    void log(const char* operation, int x = 0, int y = 0, std::string text = {},
             SurfaceObject object = 0, Colour colour = 0) {
        calls.push_back({operation, x, y, std::move(text), object, colour});
    }
    Colour current_pen_colour() const {
        for (const PenEntry& entry : pens_) {
            if (entry.pen == current_pen_) return entry.colour;
        }
        return DEFAULT_PEN_COLOUR;
    }

    int default_font_height_;
    SurfaceObject next_object_ = 100;
    SurfaceObject current_font_ = DEVICE_DEFAULT_FONT;
    SurfaceObject current_pen_ = DEFAULT_PEN;
    std::vector<FontEntry> fonts_;
    std::vector<PenEntry> pens_;
    std::vector<Segment> segments_;
    std::vector<PlacedText> texts_;
    int position_x_ = 0;
    int position_y_ = 0;
};

}  // namespace morbilex::testing
