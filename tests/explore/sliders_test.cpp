// The sliders against the dialogs, and a drag's run against the traced one.
#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>

#include "../chart/chart_test_support.h"
#include "analysis/scenario_setup.h"
#include "explore/field_help.h"
#include "explore/sliders.h"
#include "explore_test_support.h"
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
