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

}  // namespace
}  // namespace morbilex
