#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/dialogs.h"

namespace morbilex {
namespace {

struct Expected {
    DialogKind kind;
    const char* template_name;
    const char* title;
    int x, y, width, height;
    std::size_t control_count;
    std::size_t field_count;
};

constexpr Expected EXPECTED[] = {
    {DialogKind::ModelParameters, "Cng_Para0", "Change Parameter0", 20, 20, 250, 90, 19, 8},
    {DialogKind::OneTimePlan, "Cng_Para1", "One-time intervention", 20, 20, 250, 90, 21, 9},
    {DialogKind::IntermittentPlan, "Cng_Para2", "Intermittent intervention", 20, 20, 220, 90, 9, 3},
    {DialogKind::AxisScale, "Cng_Scale", "Change Scale of Axis", 6, 15, 194, 83, 11, 4},
};

TEST(DialogTables, TemplatesHaveTheirNamesTitlesAndGeometry) {
    for (const Expected& expected : EXPECTED) {
        const DialogTable& table = dialog_table(expected.kind);
        SCOPED_TRACE(expected.template_name);
        EXPECT_EQ(table.kind, expected.kind);
        EXPECT_STREQ(table.template_name, expected.template_name);
        EXPECT_STREQ(table.title, expected.title);
        EXPECT_EQ(table.x, expected.x);
        EXPECT_EQ(table.y, expected.y);
        EXPECT_EQ(table.width, expected.width);
        EXPECT_EQ(table.height, expected.height);
        EXPECT_EQ(table.style, 0x90c80080u);
        EXPECT_EQ(table.controls.size(), expected.control_count);
        EXPECT_EQ(table.fields.size(), expected.field_count);
    }
}

// Labels first, then the fields, then OK, Cancel and Help; every edit shows a
// field that is read back, and the read order counts up without gaps.
TEST(DialogTables, ControlsFollowOneLayoutInEveryTemplate) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        const DialogTable& table = dialog_table(kind);
        SCOPED_TRACE(table.template_name);
        const auto& controls = table.controls;
        const std::size_t count = controls.size();
        const std::size_t labels = (count - 3 - table.fields.size());
        for (std::size_t i = 0; i < count; ++i) {
            const ControlSpec& control = controls[i];
            if (i < labels) {
                EXPECT_EQ(control.id, -1);
                EXPECT_EQ(control.style, 0x50020002u);
                EXPECT_EQ(control.control_class, ControlClass::Static);
                EXPECT_EQ(control.height, 10);
            } else if (i < count - 3) {
                const FieldSpec* field = find_field(table, control.id);
                ASSERT_NE(field, nullptr) << control.id;
                EXPECT_STREQ(control.text, "");
                if (control.control_class == ControlClass::Edit) {
                    EXPECT_EQ(control.style, 0x50810000u);
                    EXPECT_GT(field->read_order, 0);
                } else {
                    EXPECT_EQ(control.style, 0x50020001u);
                    EXPECT_EQ(field->read_order, 0);
                }
            }
        }
        const int button_ids[] = {1, 2, 9};
        const char* button_texts[] = {"OK", "Cancel", "Help"};
        for (int b = 0; b < 3; ++b) {
            const ControlSpec& button = controls[count - 3 + b];
            EXPECT_EQ(button.id, button_ids[b]);
            EXPECT_STREQ(button.text, button_texts[b]);
            EXPECT_EQ(button.control_class, ControlClass::Button);
            EXPECT_EQ(button.height, 14);
            EXPECT_EQ(button.style, b == 0 ? 0x50010001u : 0x50010000u);
        }
        std::set<int> orders;
        for (const FieldSpec& field : table.fields) {
            if (field.read_order > 0) orders.insert(field.read_order);
        }
        EXPECT_EQ(*orders.rbegin(), static_cast<int>(orders.size()));
    }
}

TEST(DialogTables, ModelDialogFieldsAndPositions) {
    const DialogTable& table = dialog_table(DialogKind::ModelParameters);
    struct Row {
        int id;
        const char* label;
        const char* format;
        int read_order;
        const char* name;
    };
    const Row rows[] = {
        {205, "R_0 ", "%6.2f", 1, "R_0"},
        {206, "Latent day ", "%6.2f", 2, "latent_period"},
        {207, "Infectious ", "%6.2f", 3, "infectious_period"},
        {208, "T_max ", "%8.2f", 4, "T_max"},
        {210, "S(0) ", "%7.2f", 0, "init_S"},
        {211, "E(0) ", "%7.2f", 5, "init_E"},
        {212, "I(0) ", "%7.2f", 6, "init_I"},
        {213, "R(0) ", "%7.2f", 7, "init_R"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const FieldSpec& field = table.fields[i];
        EXPECT_EQ(field.control_id, rows[i].id);
        EXPECT_STREQ(field.label, rows[i].label);
        EXPECT_STREQ(field.display_format, rows[i].format);
        EXPECT_EQ(field.read_order, rows[i].read_order);
        EXPECT_STREQ(field.name, rows[i].name);
        EXPECT_EQ(field.must_be_above_zero, field.control_id == 206 || field.control_id == 207);
    }
    // Spot checks of the layout: a label, the S(0) static, the T_max edit, Help.
    const ControlSpec& latent_label = table.controls[1];
    EXPECT_STREQ(latent_label.text, "Latent day ");
    EXPECT_EQ(latent_label.x, 85);
    EXPECT_EQ(latent_label.width, 40);
    const ControlSpec& susceptible = table.controls[12];
    EXPECT_EQ(susceptible.id, 210);
    EXPECT_EQ(susceptible.x, 30);
    EXPECT_EQ(susceptible.y, 50);
    const ControlSpec& duration = table.controls[11];
    EXPECT_EQ(duration.id, 208);
    EXPECT_EQ(duration.width, 45);
    EXPECT_EQ(table.controls[18].x, 180);
    EXPECT_EQ(table.controls[18].width, 60);
}

TEST(DialogTables, OtherDialogsFieldsAndPositions) {
    const DialogTable& one_time = dialog_table(DialogKind::OneTimePlan);
    const char* names[] = {"Redct1", "t_srt1", "t_stp1", "Redct2", "t_srt2",
                           "t_stp2", "Redct3", "t_srt3", "t_stp3"};
    for (int i = 0; i < 9; ++i) {
        const FieldSpec& field = one_time.fields[i];
        EXPECT_EQ(field.control_id, 220 + i);
        EXPECT_STREQ(field.name, names[i]);
        EXPECT_EQ(std::string(field.label), std::string(names[i]) + " ");
        EXPECT_STREQ(field.display_format, i % 3 == 0 ? "%6.3f" : "%6.2f");
        EXPECT_EQ(field.read_order, i + 1);
        const ControlSpec& edit = one_time.controls[9 + i];
        EXPECT_EQ(edit.x, 50 + 80 * (i % 3));
        EXPECT_EQ(edit.y, 10 + 20 * (i / 3));
    }
    const DialogTable& intermittent = dialog_table(DialogKind::IntermittentPlan);
    EXPECT_STREQ(intermittent.fields[0].display_format, "%6.3f");
    EXPECT_STREQ(intermittent.fields[2].label, "Off_threshold ");
    EXPECT_EQ(intermittent.controls[2].x, 120);
    EXPECT_EQ(intermittent.controls[5].x, 170);
    EXPECT_EQ(intermittent.controls[6].x, 12);
    EXPECT_EQ(intermittent.controls[6].width, 50);
    const DialogTable& scale = dialog_table(DialogKind::AxisScale);
    for (const FieldSpec& field : scale.fields)
        EXPECT_STREQ(field.display_format, "%12.5g");
    EXPECT_EQ(scale.controls[7].id, 204);
    EXPECT_EQ(scale.controls[7].x, 125);
    EXPECT_EQ(scale.controls[7].y, 36);
    EXPECT_EQ(scale.controls[8].y, 55);
}

}  // namespace
}  // namespace morbilex
