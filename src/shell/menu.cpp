#include "shell/menu.h"

namespace morbilex {
namespace {

constexpr MenuItem FILE_ITEMS[] = {
    {"&Open Scenario\u2026", COMMAND_OPEN_SCENARIO},
    {"Save Scenario &As\u2026", COMMAND_SAVE_SCENARIO_AS},
    {nullptr, 0},
    {"&Save Trace As\u2026", COMMAND_SAVE_TRACE_AS},
    {"&Export Chart\u2026", COMMAND_EXPORT_CHART},
    {nullptr, 0},
    {"&Print", COMMAND_PRINT},
    {"p&Rinter setup", COMMAND_PRINTER_SETUP},
    {nullptr, 0},
    {"e&Xit", COMMAND_EXIT},
};
constexpr MenuItem NO_INTERVENTION_ITEMS[] = {
    {"&Calculate", COMMAND_CALCULATE},
    {"&Main parameters", COMMAND_MAIN_PARAMETERS},
};
constexpr MenuItem INTERVENTION_ITEMS[] = {
    {"&One-time    ", COMMAND_ONE_TIME},
    {"&Intermittent", COMMAND_INTERMITTENT},
    {"&Main parameters", COMMAND_MAIN_PARAMETERS},
};

constexpr MenuBarEntry MENU_BAR[] = {
    {MenuName::File, "&File", FILE_ITEMS, 0, false},
    {MenuName::NoIntervention, "&No intervention", NO_INTERVENTION_ITEMS, 0, false},
    {MenuName::Intervention, "&Intervention", INTERVENTION_ITEMS, 0, false},
    {MenuName::Scale, "&Scale", {}, COMMAND_SCALE, false},
    {MenuName::Help, "&Help", {}, COMMAND_HELP, true},
};

constexpr Accelerator ACCELERATORS[] = {
    {AcceleratorKey::Letter, 'P', true, COMMAND_PRINT},
    {AcceleratorKey::Letter, 'R', true, COMMAND_PRINTER_SETUP},
    {AcceleratorKey::Letter, 'X', true, COMMAND_EXIT},
    {AcceleratorKey::Letter, 'N', true, COMMAND_CALCULATE},
    {AcceleratorKey::Letter, 'C', true, COMMAND_CALCULATE},
    {AcceleratorKey::Letter, 'M', true, COMMAND_MAIN_PARAMETERS},
    {AcceleratorKey::Letter, 'O', true, COMMAND_ONE_TIME},
    {AcceleratorKey::Letter, 'I', true, COMMAND_INTERMITTENT},
    {AcceleratorKey::Letter, 'S', true, COMMAND_SCALE},
    {AcceleratorKey::F1, 0, false, COMMAND_HELP},
};

}  // namespace

std::span<const MenuBarEntry> main_menu_bar() {
    return MENU_BAR;
}

std::span<const Accelerator> main_accelerators() {
    return ACCELERATORS;
}

std::string accelerator_text(int command) {
    for (const Accelerator& accelerator : ACCELERATORS) {
        if (accelerator.command != command) continue;
        if (accelerator.kind == AcceleratorKey::F1) return "F1";
        return std::string(accelerator.control ? "Ctrl+" : "") + accelerator.letter;
    }
    return "";
}

}  // namespace morbilex
