// The menu bar and the keyboard accelerators, made from the shared tables; each
// menu item shows its key at the right ("&Print\tCtrl+P").
#include <string>
#include <vector>

#include "explore/view_commands.h"
#include "shell/menu.h"
#include "win32/program.h"

namespace morbilex {

namespace {

std::wstring wide_text(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

// The key of a command of the View menu, else of the main table.
std::string key_text(int command) {
    for (const Accelerator& accelerator : view_accelerators()) {
        if (accelerator.command == command) return std::string("Ctrl+") + accelerator.letter;
    }
    return accelerator_text(command);
}

std::string label_with_key(const MenuItem& item) {
    const std::string key = key_text(item.command);
    return key.empty() ? item.label : std::string(item.label) + "\t" + key;
}

void append_popup(HMENU bar, const char* label, HMENU popup, bool right_aligned, int command) {
    std::wstring text = wide_text(label);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID;
    item.fType = MFT_STRING | (right_aligned ? MFT_RIGHTJUSTIFY : 0);
    item.dwTypeData = text.data();
    item.wID = static_cast<UINT>(command);
    if (popup != nullptr) {
        item.fMask |= MIIM_SUBMENU;
        item.hSubMenu = popup;
    }
    InsertMenuItemW(bar, GetMenuItemCount(bar), TRUE, &item);
}

HMENU item_menu(std::span<const MenuItem> items) {
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : items) {
        if (item.label == nullptr) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command),
                        wide_text(label_with_key(item)).c_str());
        }
    }
    return menu;
}

}  // namespace

HMENU create_main_menu() {
    HMENU bar = CreateMenu();
    for (const MenuBarEntry& entry : main_menu_bar()) {
        // The View menu stands last before Help.
        if (entry.name == MenuName::Help)
            append_popup(bar, "&View", item_menu(view_menu_items()), false, 0);
        append_popup(bar, entry.label, entry.items.empty() ? nullptr : item_menu(entry.items),
                     entry.right_aligned, entry.command);
    }
    return bar;
}

HACCEL create_main_accelerators() {
    std::vector<ACCEL> entries;
    std::vector<Accelerator> accelerators(main_accelerators().begin(), main_accelerators().end());
    accelerators.insert(accelerators.end(), view_accelerators().begin(), view_accelerators().end());
    for (const Accelerator& accelerator : accelerators) {
        ACCEL entry = {};
        entry.fVirt = FVIRTKEY | (accelerator.control ? FCONTROL : 0);
        entry.key = accelerator.kind == AcceleratorKey::F1 ? VK_F1 : accelerator.letter;
        entry.cmd = static_cast<WORD>(accelerator.command);
        entries.push_back(entry);
    }
    return CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

}  // namespace morbilex
