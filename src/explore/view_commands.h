// The View menu and the commands of the explorer view, for both programs.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "explore/count_fit_command.h"
#include "explore/explorer.h"
#include "shell/commands.h"
#include "shell/menu.h"

namespace morbilex {

// What the explorer's commands need from the program besides its FrontEnd.
class ExplorerHost {
public:
    virtual ~ExplorerHost() = default;
    // Puts the text on the clipboard.
    virtual void copy_text(const std::string& text) = 0;
    // Shows the user's guide (user_guide_markdown()).
    virtual void show_user_guide() = 0;
    // Shows the user's guide at the section with this anchor (guide_anchor()).
    virtual void show_user_guide_at(const std::string& anchor) {
        (void)anchor;
        show_user_guide();
    }
    // the view options changed: show or hide the panels, update the menu's checks.
    virtual void view_options_changed() = 0;
    // A plan search finished: show explorer.plan_finding (its lines and its
    // front, whose points load_found_plan loads) and return true. A program
    // that returns false gets its lines in a message and the best plan loaded.
    virtual bool plan_found() { return false; }
    // Asks for the capacity, showing the one set (off: capacity.set false);
    // false when the user cancels.
    virtual bool ask_capacity(CapacitySetting& /*capacity*/) { return false; }
    // Shows the sweep window (a front end without one does nothing).
    virtual void show_sweep() {}
    // A CSV file of observed counts the user picks; empty when none (the
    // default: a front end without a file dialog).
    virtual std::string choose_counts_file() { return {}; }
    // Asks which fields to fit and by what objective, showing the choice
    // given; a front end without such a dialog leaves it NotAsked.
    virtual Asked ask_fit_choice(FitChoice& /*choice*/) { return Asked::NotAsked; }
    // Asks how the counts file just chosen is read, showing the reading
    // given; a front end without such a dialog leaves it NotAsked.
    virtual Asked ask_counts_choice(CountsChoice& /*reading*/) { return Asked::NotAsked; }
    // Whether the program writes gzip-compressed files (a .gz name is
    // offered only then), and the text compressed with the bytes
    // morbilex-batch writes to a .gz file; false when it cannot.
    virtual bool can_compress() const { return false; }
    virtual bool compress(std::string_view /*text*/, std::string& /*bytes*/) { return false; }
};

// "&View": Fit axes to the run (Ctrl+F), Fit after every run, Compare with no
// intervention, Copy figures, Classic view, the user's guide.
std::span<const MenuItem> view_menu_items();
// Ctrl+F: fit axes.
std::span<const Accelerator> view_accelerators();
// Whether a View item is checkable, and checked now.
bool view_item_checkable(int command);
bool view_item_checked(const ViewOptions& view, int command);
// Items that do nothing in the classic view are disabled there.
bool view_item_enabled(const ViewOptions& view, int command);

// Whether the command switches a chart option: a compartment shown, infectious
// only, the log scale, R_t or the palette.
bool chart_option_command(int command);
// Switches that chart option (showing a compartment again leaves "infectious
// only"); true when the axes are to be fitted again: to the curves shown
// while the view fits after every run, and for a log scale whose floor is
// not above zero.
bool switch_chart_option(ViewOptions& view, const AxisScale& scale, int command);
// The name of the view switch a View command turns over ("show_S",
// "log_scale", ...); null for a command that switches none.
const char* view_switch_name(int command);

struct ExplorerContext {
    CommandContext& commands;
    Explorer& explorer;
    ExplorerHost& host;
};

// Any command of the window: the View menu's here; Help shows the user's guide
// in the explorer view and the classic box in the classic view; every other
// command goes to execute_command, and a run it makes is fitted to afterwards
// when the explorer view fits after every run.
void execute_explorer_command(ExplorerContext& context, int command_id);

// Loads plan `index` of the front of the last search (0: the best), runs it
// as a typed OK would and fits the axes when the view fits after every run.
void load_found_plan(ExplorerContext& context, int index);
// Runs the records' mode as a typed OK would (a scenario loaded from a sweep),
// fitted as any run.
void run_records_in_view(ExplorerContext& context);
// Sets or clears the capacity the view draws and holds the run against.
void set_capacity(ExplorerContext& context, const CapacitySetting& capacity);

// The figures of the run on screen as tab-separated text (empty before a run).
// The figures of the run on screen as tab-separated text (empty before a run),
// after the scenario they belong to: its file's name when it has one, then
// every value as a scenario file names it ("R_0<tab>2.5"), then a blank line.
std::string copied_figures(ExplorerContext& context);

// At start, the run of the last session (its mode as remembered, its values
// already in the records) made again in the explorer view, fitted as any
// run; nothing in the classic view, which starts at its title screen, or
// when no run was remembered. True when it ran.
bool reopen_remembered_run(ExplorerContext& context, InterventionMode mode);

// A dialog's Help button or F1 in it: in the explorer view the user's guide
// at that dialog's section (true); nothing in the classic view (false).
bool show_dialog_help(const ViewOptions& view, ExplorerHost& host, DialogKind kind);

// The window's title: the program's name and, in the explorer view, the
// scenario file last opened or saved ("flu.morbilex - Morbilex").
std::string window_title(const Records& records, const ViewOptions& view);

}  // namespace morbilex
