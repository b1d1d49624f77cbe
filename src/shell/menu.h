// The main window's menu bar and keyboard accelerators, shared by both programs.
#pragma once

#include <span>
#include <string>

namespace morbilex {

enum CommandId : int {
    COMMAND_PRINT = 104,
    COMMAND_PRINTER_SETUP = 105,
    COMMAND_EXIT = 106,
    COMMAND_HELP = 107,
    COMMAND_CALCULATE = 108,
    COMMAND_MAIN_PARAMETERS = 110,
    COMMAND_ONE_TIME = 111,
    COMMAND_INTERMITTENT = 112,
    COMMAND_SCALE = 114,
    // Scenario files.
    COMMAND_OPEN_SCENARIO = 120,
    COMMAND_SAVE_SCENARIO_AS = 121,
    // The trace and the chart saved elsewhere.
    COMMAND_SAVE_TRACE_AS = 122,
    COMMAND_EXPORT_CHART = 123,
    // The View menu.
    COMMAND_FIT_AXES = 130,
    COMMAND_FIT_AFTER_RUN = 131,
    COMMAND_COMPARE = 132,
    COMMAND_CLASSIC_VIEW = 133,
    COMMAND_COPY_FIGURES = 134,
    COMMAND_USER_GUIDE = 135,
    COMMAND_FIT_COUNTS = 136,
    COMMAND_OPEN_COUNTS = 137,
    COMMAND_CARE_CURVES = 138,
    COMMAND_COPY_BANDS = 139,  // the ensemble's bands as CSV, when ranges are set
    // Plans against a capacity.
    COMMAND_EXTEND_T_MAX = 140,
    COMMAND_FIND_PLAN = 141,
    COMMAND_SET_CAPACITY = 142,
    // Observed counts written into the scenario rather than linked by path.
    COMMAND_KEEP_COUNTS = 143,
    // The explorer chart's curves and scales.
    COMMAND_SHOW_SUSCEPTIBLE = 150,  // to 153: S, E, I, R
    COMMAND_INFECTIOUS_ONLY = 154,
    COMMAND_LOG_SCALE = 155,
    COMMAND_EFFECTIVE_R = 156,
    COMMAND_COLOUR_BLIND_PALETTE = 157,
    // The explorer's files.
    COMMAND_EXPORT_BANDS = 190,  // the ensemble's bands as a CSV file, when ranges are set
    // A sweep of one or two fields in a window of its own.
    COMMAND_SWEEP = 180,
};

struct MenuItem {
    const char* label;  // UTF-8, '&' before the mnemonic; nullptr for a separator
    int command;        // 0 for a separator
};

// Each entry of the menu bar by name, so that a program can find one.
enum class MenuName { File, NoIntervention, Intervention, Scale, Help };

struct MenuBarEntry {
    MenuName name;
    const char* label;
    std::span<const MenuItem> items;  // empty: the entry is itself a command
    int command;                      // for a command entry, else 0
    bool right_aligned;               // "&Help" stands at the right end
};

// Left to right: "&File", "&No intervention", "&Intervention", "&Scale", "&Help".
std::span<const MenuBarEntry> main_menu_bar();

enum class AcceleratorKey { Letter, F1 };

struct Accelerator {
    AcceleratorKey kind;
    char letter;  // 'P', 'R', ... for Letter keys (always with Ctrl)
    bool control;
    int command;
};

// The ten accelerators in their table order.
std::span<const Accelerator> main_accelerators();

// The key of the command's first accelerator as a menu shows it beside the
// label ("Ctrl+P", "F1"); "" for a command without one.
std::string accelerator_text(int command);

}  // namespace morbilex
