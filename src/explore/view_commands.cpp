#include "explore/view_commands.h"

#include "explore/axis_fitting.h"
#include "explore/figures.h"

namespace morbilex {
namespace {

constexpr MenuItem VIEW_ITEMS[] = {
    {"&Fit axes to the run", COMMAND_FIT_AXES},
    {"Fit &after every run", COMMAND_FIT_AFTER_RUN},
    {"&Compare with no intervention", COMMAND_COMPARE},
    {nullptr, 0},
    {"Cop&y figures", COMMAND_COPY_FIGURES},
    {"&User's guide", COMMAND_USER_GUIDE},
    {nullptr, 0},
    {"C&lassic view", COMMAND_CLASSIC_VIEW},
};

constexpr Accelerator VIEW_ACCELERATORS[] = {
    {AcceleratorKey::Letter, 'F', true, COMMAND_FIT_AXES},
};

bool runs(int command_id) {
    return command_id == COMMAND_CALCULATE || command_id == COMMAND_MAIN_PARAMETERS ||
           command_id == COMMAND_ONE_TIME || command_id == COMMAND_INTERMITTENT;
}

void fit_and_repaint(ExplorerContext& context) {
    context.explorer.sync(context.commands.records);
    if (fit_axes(context.commands.records, context.explorer)) context.commands.front_end.repaint();
}

}  // namespace

std::span<const MenuItem> view_menu_items() {
    return VIEW_ITEMS;
}

std::span<const Accelerator> view_accelerators() {
    return VIEW_ACCELERATORS;
}

bool view_item_checkable(int command) {
    return command == COMMAND_FIT_AFTER_RUN || command == COMMAND_COMPARE ||
           command == COMMAND_CLASSIC_VIEW;
}

bool view_item_checked(const ViewOptions& view, int command) {
    switch (command) {
        case COMMAND_FIT_AFTER_RUN:
            return view.fit_after_run;
        case COMMAND_COMPARE:
            return view.compare;
        case COMMAND_CLASSIC_VIEW:
            return view.classic;
        default:
            return false;
    }
}

bool view_item_enabled(const ViewOptions& view, int command) {
    return command == COMMAND_CLASSIC_VIEW || command == COMMAND_USER_GUIDE || !view.classic;
}

std::string copied_figures(ExplorerContext& context) {
    context.explorer.sync(context.commands.records);
    if (!context.explorer.figures().available) return {};
    return figures_tab_text(context.explorer.figures());
}

void execute_explorer_command(ExplorerContext& context, int command_id) {
    ViewOptions& view = context.explorer.view;
    switch (command_id) {
        case COMMAND_FIT_AXES:
            if (!view.classic) fit_and_repaint(context);
            return;
        case COMMAND_FIT_AFTER_RUN:
            if (view.classic) return;
            view.fit_after_run = !view.fit_after_run;
            if (view.fit_after_run) fit_and_repaint(context);
            context.host.view_options_changed();
            return;
        case COMMAND_COMPARE:
            if (view.classic) return;
            view.compare = !view.compare;
            context.host.view_options_changed();
            context.commands.front_end.repaint();
            return;
        case COMMAND_CLASSIC_VIEW:
            view.classic = !view.classic;
            context.explorer.read_out_step = -1;
            context.host.view_options_changed();
            context.commands.front_end.repaint();
            return;
        case COMMAND_COPY_FIGURES:
            if (!view.classic) context.host.copy_text(copied_figures(context));
            return;
        case COMMAND_USER_GUIDE:
            context.host.show_user_guide();
            return;
        case COMMAND_HELP:
            if (!view.classic) {
                context.host.show_user_guide();
                return;
            }
            break;
        default:
            break;
    }
    {
        const ExplorerFedByRuns fed(context.commands, context.explorer);
        execute_command(context.commands, command_id);
    }
    if (runs(command_id)) {
        context.explorer.read_out_step = -1;
        if (!view.classic && view.fit_after_run) fit_and_repaint(context);
    }
}

}  // namespace morbilex
