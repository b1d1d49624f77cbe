// The compiled dialog resources, and the menu bar and accelerators the program
// makes, agree with the shared dialog, menu and accelerator tables.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "explore/view_commands.h"
#include "shell/dialogs.h"
#include "shell/menu.h"
#include "win32/program.h"

namespace morbilex {
namespace {

// Reads a compiled dialog template (the classic format, without a font).
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : at_(static_cast<const std::uint8_t*>(data)) {}

    template <typename Value>
    Value next() {
        Value value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // A name or ordinal: 0 none, 0xFFFF followed by an ordinal, or a string.
    std::string name_or_ordinal() {
        std::uint16_t first = next<std::uint16_t>();
        if (first == 0) return "";
        std::string text;
        if (first == 0xFFFF) return text.append("#").append(std::to_string(next<std::uint16_t>()));
        text.push_back(static_cast<char>(first));
        return text.append(text_until_terminator());
    }
    std::string text_until_terminator() {
        std::string text;
        for (std::uint16_t unit; (unit = next<std::uint16_t>()) != 0;) {
            text += static_cast<char>(unit);
        }
        return text;
    }
    void align_to_double_word(const void* start) {
        auto offset = at_ - static_cast<const std::uint8_t*>(start);
        at_ += (4 - offset % 4) % 4;
    }
    void skip(std::size_t bytes) { at_ += bytes; }

private:
    const std::uint8_t* at_;
};

struct CompiledControl {
    std::uint32_t style;
    short x, y, width, height;
    int id;
    std::string control_class, text;
};

struct CompiledDialog {
    std::uint32_t style;
    short x, y, width, height;
    std::string title;
    std::vector<CompiledControl> controls;
};

std::string upper_case(std::string text) {
    for (char& letter : text)
        letter = static_cast<char>(std::toupper(letter));
    return text;
}

CompiledDialog load_dialog(const char* template_name) {
    HRSRC resource = FindResourceA(nullptr, upper_case(template_name).c_str(), RT_DIALOG);
    EXPECT_NE(resource, nullptr) << template_name;
    const void* start = LockResource(LoadResource(nullptr, resource));
    TemplateReader reader(start);
    CompiledDialog dialog = {};
    dialog.style = reader.next<std::uint32_t>();
    reader.next<std::uint32_t>();  // extended style
    auto count = reader.next<std::uint16_t>();
    dialog.x = reader.next<short>();
    dialog.y = reader.next<short>();
    dialog.width = reader.next<short>();
    dialog.height = reader.next<short>();
    EXPECT_EQ(reader.name_or_ordinal(), "") << "no menu";
    EXPECT_EQ(reader.name_or_ordinal(), "") << "the standard dialog class";
    dialog.title = reader.text_until_terminator();
    for (int index = 0; index < count; ++index) {
        reader.align_to_double_word(start);
        CompiledControl control = {};
        control.style = reader.next<std::uint32_t>();
        reader.next<std::uint32_t>();
        control.x = reader.next<short>();
        control.y = reader.next<short>();
        control.width = reader.next<short>();
        control.height = reader.next<short>();
        control.id = static_cast<short>(reader.next<std::uint16_t>());
        control.control_class = reader.name_or_ordinal();
        control.text = reader.name_or_ordinal();
        reader.skip(reader.next<std::uint16_t>());
        dialog.controls.push_back(control);
    }
    return dialog;
}

// The class of a control as the template names it; the resource compiler may
// store the predefined classes as ordinals or as names.
std::string class_name(const std::string& stored) {
    if (stored == "#128") return "BUTTON";
    if (stored == "#129") return "EDIT";
    if (stored == "#130") return "STATIC";
    return upper_case(stored);
}

std::string class_name(ControlClass control_class) {
    switch (control_class) {
        case ControlClass::Button:
            return "BUTTON";
        case ControlClass::Edit:
            return "EDIT";
        case ControlClass::Static:
            return "STATIC";
    }
    return "?";
}

class DialogTemplateTest : public ::testing::TestWithParam<DialogKind> {};

TEST_P(DialogTemplateTest, TemplateMatchesTheSharedTable) {
    const DialogTable& table = dialog_table(GetParam());
    CompiledDialog dialog = load_dialog(table.template_name);
    EXPECT_EQ(dialog.title, table.title);
    EXPECT_EQ(dialog.style, table.style);
    EXPECT_EQ(dialog.style & DS_SETFONT, 0u) << "the system dialog font";
    EXPECT_EQ(dialog.x, table.x);
    EXPECT_EQ(dialog.y, table.y);
    EXPECT_EQ(dialog.width, table.width);
    EXPECT_EQ(dialog.height, table.height);
    ASSERT_EQ(dialog.controls.size(), table.controls.size());
    for (std::size_t index = 0; index < table.controls.size(); ++index) {
        const ControlSpec& expected = table.controls[index];
        const CompiledControl& control = dialog.controls[index];
        SCOPED_TRACE(std::string(table.template_name) + " control " + std::to_string(index + 1));
        EXPECT_EQ(control.id, expected.id);
        EXPECT_EQ(class_name(control.control_class), class_name(expected.control_class));
        EXPECT_EQ(control.text, expected.text);
        EXPECT_EQ(control.x, expected.x);
        EXPECT_EQ(control.y, expected.y);
        EXPECT_EQ(control.width, expected.width);
        EXPECT_EQ(control.height, expected.height);
        EXPECT_EQ(control.style, expected.style);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, DialogTemplateTest,
                         ::testing::Values(DialogKind::ModelParameters, DialogKind::OneTimePlan,
                                           DialogKind::IntermittentPlan, DialogKind::AxisScale));

// The item's label as UTF-8.
std::string item_label(HMENU menu, int position) {
    wchar_t label[64] = {};
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = label;
    item.cch = 64;
    GetMenuItemInfoW(menu, position, TRUE, &item);
    char text[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, label, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

TEST(MainMenu, MenuBarMatchesTheSharedTableAndShowsTheKeys) {
    HMENU bar = create_main_menu();
    ASSERT_NE(bar, nullptr);
    auto entries = main_menu_bar();
    // The View menu of the explorer stands before Help.
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(entries.size()) + 1);
    const int view_position = static_cast<int>(entries.size()) - 1;
    EXPECT_EQ(item_label(bar, view_position), "&View");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, view_position)),
              static_cast<int>(view_menu_items().size()));
    for (int bar_index = 0; bar_index < static_cast<int>(entries.size()); ++bar_index) {
        const MenuBarEntry& entry = entries[bar_index];
        const int position = bar_index < view_position ? bar_index : bar_index + 1;
        SCOPED_TRACE(entry.label);
        EXPECT_EQ(item_label(bar, position), entry.label);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoA(bar, position, TRUE, &info));
        EXPECT_EQ((info.fType & MFT_RIGHTJUSTIFY) != 0, entry.right_aligned);
        EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_DISABLED), 0u);
        if (entry.items.empty()) {
            EXPECT_EQ(info.hSubMenu, nullptr);
            EXPECT_EQ(static_cast<int>(info.wID), entry.command);
            continue;
        }
        ASSERT_NE(info.hSubMenu, nullptr);
        ASSERT_EQ(GetMenuItemCount(info.hSubMenu), static_cast<int>(entry.items.size()));
        for (int index = 0; index < static_cast<int>(entry.items.size()); ++index) {
            const MenuItem& item = entry.items[index];
            MENUITEMINFOA sub = {};
            sub.cbSize = sizeof sub;
            sub.fMask = MIIM_FTYPE | MIIM_ID;
            ASSERT_TRUE(GetMenuItemInfoA(info.hSubMenu, index, TRUE, &sub));
            if (item.label == nullptr) {
                EXPECT_NE(sub.fType & MFT_SEPARATOR, 0u) << "separator at " << index;
            } else {
                const std::string key = accelerator_text(item.command);
                EXPECT_EQ(item_label(info.hSubMenu, index),
                          key.empty() ? std::string(item.label) : item.label + ("\t" + key));
                EXPECT_EQ(static_cast<int>(sub.wID), item.command);
            }
        }
    }
    DestroyMenu(bar);
}

TEST(MainMenu, PrintShowsItsKeyAndSavingHasNone) {
    HMENU bar = create_main_menu();
    const auto label = [bar](int command) {
        wchar_t text[64] = {};
        GetMenuStringW(bar, command, text, 64, MF_BYCOMMAND);
        char utf8[256] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        return std::string(utf8);
    };
    EXPECT_EQ(label(COMMAND_SAVE_TRACE_AS), "&Save Trace As\xE2\x80\xA6");
    EXPECT_EQ(label(COMMAND_PRINT), "&Print\tCtrl+P");
    EXPECT_EQ(label(COMMAND_CALCULATE), "&Calculate\tCtrl+N");
    EXPECT_EQ(label(COMMAND_FIT_AXES), "&Fit axes to the run\tCtrl+F");
    DestroyMenu(bar);
}

TEST(MainAccelerators, TheSharedTablesInTheirOrder) {
    HACCEL table = create_main_accelerators();
    ASSERT_NE(table, nullptr);
    ACCEL entries[64] = {};
    int count = CopyAcceleratorTableA(table, entries, 64);
    std::vector<Accelerator> expected(main_accelerators().begin(), main_accelerators().end());
    expected.insert(expected.end(), view_accelerators().begin(), view_accelerators().end());
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    for (int index = 0; index < count; ++index) {
        const Accelerator& accelerator = expected[index];
        SCOPED_TRACE(index);
        WORD key = accelerator.kind == AcceleratorKey::F1 ? VK_F1 : accelerator.letter;
        BYTE flags = FVIRTKEY | (accelerator.control ? FCONTROL : 0);
        EXPECT_EQ(entries[index].key, key);
        EXPECT_EQ(entries[index].fVirt & ~0x80, flags);  // 0x80 marks the last entry
        EXPECT_EQ(entries[index].cmd, accelerator.command);
    }
    DestroyAcceleratorTable(table);
}

}  // namespace
}  // namespace morbilex
