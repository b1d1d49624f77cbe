// The sliders against the dialogs, and a drag's run against the traced one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>

#include "../chart/chart_test_support.h"
#include "analysis/scenario_setup.h"
#include "explore/field_help.h"
#include "explore/sliders.h"
#include "explore_test_support.h"
#include "shell/scenario_document.h"
#include "text/shortest.h"

namespace morbilex::testing {
namespace {

TEST(Sliders, SetTheFieldsExactlyAsTheirDialogsDo) {
    for (const SliderField& slider : slider_fields()) {
        DialogKind dialog{};
        const FieldSpec* field = slider_field_spec(slider, &dialog);
        ASSERT_NE(field, nullptr) << slider.name;
        ASSERT_NE(field_help(slider.name), nullptr) << slider.name;
        EXPECT_EQ(slider_position_of(slider, slider_value_at(slider, 7)), 7) << slider.name;
        EXPECT_EQ(slider_value_at(slider, slider_positions(slider) - 1), slider.maximum);

        const double value = slider_value_at(slider, slider_positions(slider) / 3);
        auto by_slider = default_records();
        ASSERT_TRUE(apply_slider_value(*by_slider, slider, value)) << slider.name;
        auto by_dialog = default_records();
        std::string text;
        append_shortest(text, value);
        const TypedField typed{dialog, field, text};
        SetupRefusal refused;
        ASSERT_TRUE(
            apply_typed_fields(*by_dialog, std::span<const TypedField>(&typed, 1), refused));
        EXPECT_EQ(slider_value(*by_slider, slider), field->shown_value(*by_dialog)) << slider.name;
        EXPECT_EQ(by_slider->model.n_steps, by_dialog->model.n_steps);
        EXPECT_EQ(by_slider->model.init_S, by_dialog->model.init_S);
        EXPECT_EQ(by_slider->one_time.t_stp3, by_dialog->one_time.t_stp3);
    }
    // Each mode shows the model's sliders and its schedule's.
    EXPECT_EQ(sliders_for_mode(MODE_NO_INTERVENTION).size(), 6u);
    EXPECT_EQ(sliders_for_mode(MODE_ONE_TIME).size(), 15u);
    EXPECT_EQ(sliders_for_mode(MODE_INTERMITTENT).size(), 9u);
    // Every field a dialog shows has its help.
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields)
            EXPECT_NE(field_help(field.name), nullptr) << field.name;
    }
}

// The capacity is the field table's last field, off by default: its slider
// and its typed text set it as a scenario file's line does, 0 or empty turn
// it off, and a refused text leaves it alone.
TEST(Sliders, CapacityFieldIsOffByDefaultAndSetsAsAFileLine) {
    const std::vector<ExplorerField> fields = explorer_fields();
    ASSERT_TRUE(fields.back().capacity);
    EXPECT_EQ(fields.back().default_text, "");
    EXPECT_EQ(std::count_if(fields.begin(), fields.end(),
                            [](const ExplorerField& field) { return field.capacity; }),
              1);
    const SliderField& slider = capacity_slider_field();
    EXPECT_EQ(fields.back().slider, &slider);
    auto records = default_records();
    EXPECT_EQ(slider_value(*records, slider), 0.0);
    ASSERT_TRUE(apply_slider_value(*records, slider, slider_value_at(slider, 61)));
    auto typed = default_records();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    ASSERT_TRUE(read_scenario_document("capacity = 305\n", *typed, mode, error)) << error;
    EXPECT_TRUE(records->capacity.set);
    EXPECT_EQ(records->capacity.capacity, typed->capacity.capacity);
    EXPECT_FALSE(apply_capacity_text(*records, "lots", error));
    EXPECT_EQ(records->capacity.capacity, 305.0);
    ASSERT_TRUE(apply_slider_value(*records, slider, 0.0));
    EXPECT_FALSE(records->capacity.set);
    ASSERT_TRUE(apply_capacity_text(*records, "12.5", error));
    EXPECT_EQ(slider_value(*records, slider), 12.5);
    ASSERT_TRUE(apply_capacity_text(*records, "", error));
    EXPECT_FALSE(records->capacity.set);
}

TEST(Sliders, DraggingRunsWithoutTraceAndReleaseWritesIt) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    const SliderField& r0 = slider_fields()[0];
    slider_moved(commands, explorer, r0, 3.0, false);
    EXPECT_EQ(records->mode, MODE_NO_INTERVENTION);
    EXPECT_EQ(records->model.R_0, 3.0);
    EXPECT_FALSE(std::filesystem::exists("temp.dat"));
    EXPECT_EQ(records->scale.ymax, 10000.0);
    const CompartmentValues dragged = records->results[400];
    slider_moved(commands, explorer, r0, 3.0, true);
    EXPECT_TRUE(commands.trace_written);
    EXPECT_TRUE(std::filesystem::exists("temp.dat"));
    EXPECT_EQ(records->results[400], dragged);
}

}  // namespace
}  // namespace morbilex::testing
