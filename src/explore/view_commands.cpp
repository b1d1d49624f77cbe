#include "explore/view_commands.h"

#include "explore/axis_fitting.h"
#include "explore/bands_export.h"
#include "explore/count_fit_command.h"
#include "explore/figures.h"
#include "explore/kept_ranges.h"
#include "explore/user_guide.h"
#include "explore/view_figures.h"
#include "shell/messages.h"
#include "shell/scenario_document.h"
#include "shell/scenario_files.h"

namespace morbilex {
namespace {

constexpr MenuItem VIEW_ITEMS[] = {
    {"&Fit axes to the run", COMMAND_FIT_AXES},
    {"Fit &after every run", COMMAND_FIT_AFTER_RUN},
    {"&Compare with no intervention", COMMAND_COMPARE},
    {"Ca&re: hospital, intensive care, deaths", COMMAND_CARE_CURVES},
    {nullptr, 0},
    {"Show &Susceptible", COMMAND_SHOW_SUSCEPTIBLE},
    {"Show &Exposed", COMMAND_SHOW_SUSCEPTIBLE + 1},
    {"Show &Infectious", COMMAND_SHOW_SUSCEPTIBLE + 2},
    {"Show &Recovered", COMMAND_SHOW_SUSCEPTIBLE + 3},
    {"Infectious &only", COMMAND_INFECTIOUS_ONLY},
    {"Lo&g scale for persons", COMMAND_LOG_SCALE},
    {"Effective reproduction number R_&t", COMMAND_EFFECTIVE_R},
    {"Colour-&blind-safe palette", COMMAND_COLOUR_BLIND_PALETTE},
    {nullptr, 0},
    {"Cop&y figures", COMMAND_COPY_FIGURES},
    {"Copy &bands", COMMAND_COPY_BANDS},
    {"E&xport bands...", COMMAND_EXPORT_BANDS},
    {"&User's guide", COMMAND_USER_GUIDE},
    {nullptr, 0},
    {"C&lassic view", COMMAND_CLASSIC_VIEW},
    {nullptr, 0},
    {"Ca&pacity...", COMMAND_SET_CAPACITY},
    {"&Extend T_max until it ends", COMMAND_EXTEND_T_MAX},
    {"Fin&d a plan under the capacity", COMMAND_FIND_PLAN},
    {"Open observed cou&nts...", COMMAND_OPEN_COUNTS},
    {"Fit to observed coun&ts", COMMAND_FIT_COUNTS},
    {"&Keep the counts in the scenario", COMMAND_KEEP_COUNTS},
    {"S&weep...", COMMAND_SWEEP},
};

constexpr const char* EXTEND_CAPTION = "Extend T_max";
constexpr const char* FIND_PLAN_CAPTION = "Find a plan";

constexpr Accelerator VIEW_ACCELERATORS[] = {
    {AcceleratorKey::Letter, 'F', true, COMMAND_FIT_AXES},
    {AcceleratorKey::Letter, '1', true, COMMAND_SHOW_SUSCEPTIBLE},
    {AcceleratorKey::Letter, '2', true, COMMAND_SHOW_SUSCEPTIBLE + 1},
    {AcceleratorKey::Letter, '3', true, COMMAND_SHOW_SUSCEPTIBLE + 2},
    {AcceleratorKey::Letter, '4', true, COMMAND_SHOW_SUSCEPTIBLE + 3},
    {AcceleratorKey::Letter, '0', true, COMMAND_INFECTIOUS_ONLY},
    {AcceleratorKey::Letter, 'L', true, COMMAND_LOG_SCALE},
    {AcceleratorKey::Letter, 'T', true, COMMAND_EFFECTIVE_R},
};

// The switch of a view option's command; null for the others.
bool* option_switch(ViewOptions& view, int command) {
    switch (command) {
        case COMMAND_FIT_AFTER_RUN:
            return &view.fit_after_run;
        case COMMAND_COMPARE:
            return &view.compare;
        case COMMAND_CLASSIC_VIEW:
            return &view.classic;
        case COMMAND_INFECTIOUS_ONLY:
            return &view.infectious_only;
        case COMMAND_LOG_SCALE:
            return &view.log_scale;
        case COMMAND_EFFECTIVE_R:
            return &view.effective_r;
        case COMMAND_COLOUR_BLIND_PALETTE:
            return &view.colour_blind;
        case COMMAND_CARE_CURVES:
            return &view.care_curves;
        default:
            break;
    }
    const int k = command - COMMAND_SHOW_SUSCEPTIBLE;
    return k >= 0 && k < COMPARTMENT_COUNT ? &view.shown[static_cast<std::size_t>(k)] : nullptr;
}

bool runs(int command_id) {
    return command_id == COMMAND_CALCULATE || command_id == COMMAND_MAIN_PARAMETERS ||
           command_id == COMMAND_ONE_TIME || command_id == COMMAND_INTERMITTENT;
}

void fit_and_repaint(ExplorerContext& context) {
    context.explorer.sync(context.commands.records);
    if (fit_axes(context.commands.records, context.explorer)) context.commands.front_end.repaint();
}

// The records' mode run with its trace, feeding the explorer, then fitted.
void run_in_view(ExplorerContext& context) {
    {
        const ExplorerFedByRuns fed(context.commands, context.explorer);
        run_current_mode(context.commands);
    }
    context.explorer.read_out_step = -1;
    const ViewOptions& view = context.explorer.view;
    if (!view.classic && view.fit_after_run) fit_and_repaint(context);
}

}  // namespace

std::span<const MenuItem> view_menu_items() {
    return VIEW_ITEMS;
}

std::span<const Accelerator> view_accelerators() {
    return VIEW_ACCELERATORS;
}

bool view_item_checkable(int command) {
    ViewOptions view;
    return option_switch(view, command) != nullptr;
}

bool view_item_checked(const ViewOptions& view, int command) {
    ViewOptions copy = view;
    const bool* option = option_switch(copy, command);
    return option != nullptr && *option;
}

bool view_item_enabled(const ViewOptions& view, int command) {
    return command == COMMAND_CLASSIC_VIEW || command == COMMAND_USER_GUIDE || !view.classic;
}

bool chart_option_command(int command) {
    return command >= COMMAND_SHOW_SUSCEPTIBLE && command <= COMMAND_COLOUR_BLIND_PALETTE;
}

bool switch_chart_option(ViewOptions& view, const AxisScale& scale, int command) {
    bool* option = chart_option_command(command) ? option_switch(view, command) : nullptr;
    if (option == nullptr) return false;
    *option = !*option;
    // Showing a compartment again leaves "infectious only".
    if (command < COMMAND_INFECTIOUS_ONLY) view.infectious_only = false;
    // The axes follow the curves shown while they are fitted; a log
    // scale needs a floor above zero either way.
    return command == COMMAND_LOG_SCALE ? view.fit_after_run || scale.ymin <= 0.0
                                        : view.fit_after_run && command <= COMMAND_INFECTIOUS_ONLY;
}

const char* view_switch_name(int command) {
    ViewOptions view;
    const bool* option = option_switch(view, command);
    for (const ViewSwitch& entry : view_switches(view))
        if (option != nullptr && entry.value == option) return entry.name;
    return nullptr;
}

void load_found_plan(ExplorerContext& context, int index) {
    Explorer& explorer = context.explorer;
    if (!explorer.has_plan_finding || index < 0 ||
        index >= static_cast<int>(explorer.plan_finding.result.front.size())) {
        return;
    }
    load_plan(context.commands.records, explorer.plan_finding.kind,
              explorer.plan_finding.result.front[index]);
    explorer.plan_finding.marked = index;
    run_in_view(context);
}

void run_records_in_view(ExplorerContext& context) {
    run_in_view(context);
}

void set_capacity(ExplorerContext& context, const CapacitySetting& capacity) {
    context.commands.records.capacity = capacity;
    context.explorer.sync(context.commands.records);
    context.commands.front_end.repaint();
}

std::string copied_figures(ExplorerContext& context) {
    context.explorer.sync(context.commands.records);
    if (!context.explorer.figures().available) return {};
    const Records& records = context.commands.records;
    std::string text;
    const std::string name = scenario_file_name(records.scenario_file);
    if (!name.empty()) text += "scenario\t" + name + "\n";
    const std::string document = write_scenario_document(records);
    for (std::size_t start = 0, end; start < document.size(); start = end + 1) {
        end = document.find('\n', start);
        if (end == std::string::npos) end = document.size();
        const std::string line = document.substr(start, end - start);
        const std::size_t equals = line.find(" = ");
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        // The counts' own rows are data, not settings.
        if (line.compare(0, equals, COUNTS_ROW_NAME) == 0) continue;
        text += line.substr(0, equals) + "\t" + line.substr(equals + 3) + "\n";
    }
    return text + "\n" +
           figures_tab_text(context.explorer.figures(),
                            view_figure_lines(context.commands.records, context.explorer));
}

bool reopen_remembered_run(ExplorerContext& context, InterventionMode mode) {
    Records& records = context.commands.records;
    std::string ignored;  // the settings' ranges, when they read
    take_kept_ranges(records, context.explorer.uncertainty.ranges, ignored);
    if (context.explorer.view.classic || mode < MODE_NO_INTERVENTION) return false;
    {
        const ExplorerFedByRuns fed(context.commands, context.explorer);
        records.mode = mode;
        run_current_mode(context.commands);
    }
    context.explorer.read_out_step = -1;
    if (context.explorer.view.fit_after_run) fit_and_repaint(context);
    return true;
}

bool show_dialog_help(const ViewOptions& view, ExplorerHost& host, DialogKind kind) {
    if (view.classic) return false;
    host.show_user_guide_at(dialog_guide_anchor(kind));
    return true;
}

std::string window_title(const Records& records, const ViewOptions& view) {
    const std::string name = scenario_file_name(records.scenario_file);
    if (view.classic || name.empty()) return PROGRAM_TITLE;
    return name + " - " + PROGRAM_TITLE;
}

void execute_explorer_command(ExplorerContext& context, int command_id) {
    Records& records = context.commands.records;
    ViewOptions& view = context.explorer.view;
    const AxisScale scale_before = records.scale;
    switch (command_id) {
        case COMMAND_FIT_AXES:
            if (view.classic) return;
            fit_and_repaint(context);
            // Fitting asked for: every run is fitted again.
            if (!view.fit_after_run) {
                view.fit_after_run = true;
                context.host.view_options_changed();
            }
            return;
        case COMMAND_FIT_COUNTS:
            if (!view.classic) fit_observed_counts(context);
            return;
        case COMMAND_OPEN_COUNTS:
            if (!view.classic) open_observed_counts(context);
            return;
        case COMMAND_KEEP_COUNTS:
            if (!view.classic) keep_observed_counts(context);
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
        case COMMAND_CARE_CURVES:
            if (view.classic) return;
            // On: the layer computed and its curves shown; off: the curves
            // hidden, the layer's figures kept.
            if (view.care_curves && records.care.enabled) {
                view.care_curves = false;
            } else {
                view.care_curves = true;
                records.care.enabled = true;
                context.explorer.sync(records);
            }
            context.host.view_options_changed();
            context.commands.front_end.repaint();
            return;
        case COMMAND_SHOW_SUSCEPTIBLE:
        case COMMAND_SHOW_SUSCEPTIBLE + 1:
        case COMMAND_SHOW_SUSCEPTIBLE + 2:
        case COMMAND_SHOW_SUSCEPTIBLE + 3:
        case COMMAND_INFECTIOUS_ONLY:
        case COMMAND_LOG_SCALE:
        case COMMAND_EFFECTIVE_R:
        case COMMAND_COLOUR_BLIND_PALETTE: {
            if (view.classic) return;
            if (switch_chart_option(view, records.scale, command_id)) fit_and_repaint(context);
            context.host.view_options_changed();
            context.commands.front_end.repaint();
            return;
        }
        case COMMAND_CLASSIC_VIEW:
            view.classic = !view.classic;
            context.explorer.read_out_step = -1;
            context.host.view_options_changed();
            context.commands.front_end.repaint();
            return;
        case COMMAND_COPY_FIGURES:
            if (!view.classic) context.host.copy_text(copied_figures(context));
            return;
        case COMMAND_COPY_BANDS:
            if (view.classic) return;
            context.explorer.uncertainty.sync(context.commands.records);
            if (context.explorer.uncertainty.available())
                context.host.copy_text(bands_csv_text(context.explorer.uncertainty.ensemble()));
            return;
        case COMMAND_EXPORT_BANDS:
            if (!view.classic) export_bands(context);
            return;
        case COMMAND_USER_GUIDE:
            context.host.show_user_guide();
            return;
        case COMMAND_EXTEND_T_MAX: {
            if (view.classic) return;
            if (records.mode < 0) records.mode = MODE_NO_INTERVENTION;
            const Extension extension = extend_until_ended(records);
            if (extension.extended) run_in_view(context);
            context.commands.front_end.show_file_message(EXTEND_CAPTION, extension_text(extension),
                                                         false);
            return;
        }
        case COMMAND_SET_CAPACITY: {
            if (view.classic) return;
            CapacitySetting capacity = records.capacity;
            if (context.host.ask_capacity(capacity)) set_capacity(context, capacity);
            return;
        }
        case COMMAND_FIND_PLAN: {
            if (view.classic) return;
            std::string reason;
            PlanFinding finding;
            if (!find_plan_for(records, finding, reason)) {
                context.commands.front_end.show_file_message(FIND_PLAN_CAPTION, reason, true);
                return;
            }
            context.explorer.plan_finding = std::move(finding);
            context.explorer.has_plan_finding = true;
            if (context.host.plan_found()) return;
            std::string text;
            for (const std::string& line : plan_finding_lines(context.explorer.plan_finding))
                text += line + "\n";
            load_found_plan(context, 0);
            context.commands.front_end.show_file_message(FIND_PLAN_CAPTION,
                                                         text + "The plan is loaded.", false);
            return;
        }
        case COMMAND_SWEEP:
            if (!view.classic) context.host.show_sweep();
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
    // The ranges go with the scenario saved, and come with the one opened.
    keep_ranges(context.explorer.uncertainty.ranges, records);
    const auto kept_ranges = records.range_lines;
    {
        const ExplorerFedByRuns fed(context.commands, context.explorer);
        execute_command(context.commands, command_id);
    }
    if (records.range_lines != kept_ranges) {
        follow_scenario_ranges(context);
        context.commands.front_end.repaint();
    }
    if (runs(command_id)) {
        context.explorer.read_out_step = -1;
        if (!view.classic && view.fit_after_run) fit_and_repaint(context);
    }
    // A scale the user sets stays until fitting is asked for again.
    const AxisScale& scale = records.scale;
    if (command_id == COMMAND_SCALE && !view.classic && view.fit_after_run &&
        (scale.xmin != scale_before.xmin || scale.xmax != scale_before.xmax ||
         scale.ymin != scale_before.ymin || scale.ymax != scale_before.ymax)) {
        view.fit_after_run = false;
        context.host.view_options_changed();
    }
}

}  // namespace morbilex
