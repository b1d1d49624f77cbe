#include "explore/count_fit_command.h"

#include <algorithm>
#include <vector>

#include "analysis/scenario_setup.h"
#include "explore/sliders.h"
#include "explore/view_commands.h"
#include "shell/scenario_document.h"
#include "text/format.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

std::string number_text(double value) {
    char text[64];
    format_text(text, sizeof text, "%.4g", {value});
    return text;
}

// The link's text of one name; empty when it has none.
std::string link_text(const CountsLink& link, std::string_view name) {
    std::string text;
    for (const auto& [entry, value] : link)
        if (entry == name) text = value;
    return text;
}

// Sets (or, with an empty text, removes) one line of the link, in its place.
void set_link_text(CountsLink& link, const std::string& name, const std::string& text) {
    const auto found = std::find_if(link.begin(), link.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    if (text.empty()) {
        if (found != link.end()) link.erase(found);
    } else if (found != link.end()) {
        found->second = text;
    } else {
        link.emplace_back(name, text);
    }
}

// The fields the link names ("fit = R_0,reporting"), or the default pair.
bool fields_to_fit(const ObservedOverlay& observed, FitRequest& request, std::string& problem) {
    std::string names = DEFAULT_FIT_FIELDS;
    for (const auto& [name, text] : observed.link)
        if (name == "fit") names = text;
    std::string_view rest = names;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const FitField* field = find_fit_field(rest.substr(0, comma));
        if (field == nullptr) {
            problem = "fit = " + names + ": " + std::string(rest.substr(0, comma)) +
                      " is not a field to fit";
            return false;
        }
        request.fields.push_back(field);
        if (comma == std::string_view::npos) return true;
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

FitChoice fit_choice_of(const Records& records) {
    FitChoice choice;
    std::string names = link_text(records.counts_link, "fit");
    if (names.empty()) names = DEFAULT_FIT_FIELDS;
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        if (find_fit_field(rest.substr(0, comma)) != nullptr)
            choice.fields.emplace_back(rest.substr(0, comma));
        rest.remove_prefix(std::min(comma + 1, rest.size()));
    }
    fit_objective_named(link_text(records.counts_link, "fit_objective"), choice.objective);
    return choice;
}

void set_fit_choice(Records& records, const FitChoice& choice) {
    std::string names;
    for (const std::string& name : choice.fields)
        names += (names.empty() ? "" : ",") + name;
    set_link_text(records.counts_link, "fit", names);
    const bool named = !link_text(records.counts_link, "fit_objective").empty();
    if (named || choice.objective != FitObjective::LeastSquares)
        set_link_text(records.counts_link, "fit_objective", fit_objective_name(choice.objective));
}

std::string fit_field_label(const FitField& field) {
    const std::string_view name = field.name;
    if (name == "reporting") return "Reporting fraction";
    for (const SliderField& slider : slider_fields())
        if (name == slider.name) return slider.label;
    return field.name;
}

bool fit_field_offered(const FitField& field, InterventionMode mode) {
    return field.only_in_mode == MODE_NO_INTERVENTION ||
           field.only_in_mode == std::max(mode, MODE_NO_INTERVENTION);
}

std::string fit_result_text(const CountFit& fit, FitObjective objective) {
    std::string text = "Fitted, with 95 % intervals:\n";
    for (const FittedField& field : fit.fields) {
        text += "  " + field.name + " = " + number_text(field.value) + "  (" +
                number_text(field.low) + " to " + number_text(field.high) + ")\n";
    }
    text += objective == FitObjective::LeastSquares ? "Sum of squares: " : "Poisson deviance: ";
    text += number_text(fit.objective) + "\nRMSE: " + number_text(fit.rmse) + "\n";
    text += "Next: a peak of " + number_text(fit.peak_infectious) + " infectious on day " +
            number_text(fit.peak_day) + ", " + number_text(fit.final_size) + " infected in all.\n";
    return text;
}

bool fit_linked_counts(const Records& records, const ObservedOverlay& observed, CountFit& fit,
                       FitObjective& objective, std::string& problem) {
    problem = observed.problem;
    if (observed.counts.points.empty() && problem.empty()) {
        problem =
            "There are no observed counts: open a scenario that links them "
            "(a line data = FILE.csv).";
    }
    FitRequest request;
    request.objective = objective = observed.objective;
    if (problem.empty()) fields_to_fit(observed, request, problem);
    if (!problem.empty()) return false;
    const InterventionMode mode = records.mode >= 0 ? records.mode : MODE_NO_INTERVENTION;
    const CountModel start{scenario_inputs_of(records, mode), observed.observation};
    return fit_counts(start, observed.counts, request, fit, problem);
}

CountsChoice counts_choice_of(const CountsLink& link) {
    CountsChoice choice;
    choice.column = link_text(link, "data_column");
    choice.day_zero = link_text(link, "data_day_zero");
    count_measure_named(link_text(link, "data_series"), choice.measure);
    const std::string population = link_text(link, "population");
    const std::string reporting = link_text(link, "reporting");
    if (!population.empty()) choice.population = population;
    if (!reporting.empty()) choice.reporting = reporting;
    return choice;
}

void set_counts_choice(CountsLink& link, const CountsChoice& choice) {
    const auto typed = [](const std::string& text, std::string_view otherwise) {
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos) return std::string();
        const std::string kept = text.substr(first, text.find_last_not_of(" \t") - first + 1);
        return kept == otherwise ? std::string() : kept;
    };
    const bool prevalence = choice.measure == CountMeasure::Prevalence;
    set_link_text(link, "data_series", prevalence ? "" : count_measure_name(choice.measure));
    set_link_text(link, "data_column", choice.column);
    set_link_text(link, "data_day_zero", choice.dates ? typed(choice.day_zero, "") : "");
    set_link_text(link, "population", typed(choice.population, "10000"));
    set_link_text(link, "reporting", typed(choice.reporting, "1"));
}

void open_observed_counts(ExplorerContext& context) {
    const std::string path = context.host.choose_counts_file();
    if (path.empty()) return;
    Records& records = context.commands.records;
    auto link = records.counts_link;
    std::erase_if(link, [](const auto& entry) { return entry.first == "data"; });
    drop_counts_rows(link);
    link.insert(link.begin(), {"data", path});
    // How to read them, asked with the file's own columns offered.
    CountsChoice choice = counts_choice_of(link);
    std::string text;
    if (read_counts_file(path, text) && counts_header(text, choice.columns, choice.dates)) {
        // One count column is read without naming it; of several, the one
        // named, or else the first, is offered.
        const auto& columns = choice.columns;
        if (columns.size() == 1) {
            choice.column.clear();
        } else if (std::find(columns.begin(), columns.end(), choice.column) == columns.end()) {
            choice.column = columns.empty() ? std::string() : columns.front();
        }
        const Asked asked = context.host.ask_counts_choice(choice);
        if (asked == Asked::Cancelled) return;
        if (asked == Asked::Chosen) set_counts_choice(link, choice);
    }
    ObservedOverlay trial;
    Records linked;
    linked.counts_link = link;
    follow_counts_link(trial, linked);
    if (!trial.problem.empty()) {
        context.commands.front_end.show_file_message(OPEN_COUNTS_CAPTION, trial.problem, true);
        return;
    }
    records.counts_link = std::move(link);
    context.explorer.sync(records);
    context.commands.front_end.repaint();
}

void keep_observed_counts(ExplorerContext& context) {
    Records& records = context.commands.records;
    FrontEnd& front_end = context.commands.front_end;
    context.explorer.sync(records);
    const ObservedOverlay& observed = context.explorer.observed;
    if (observed.counts.points.empty()) {
        front_end.show_file_message(
            KEEP_COUNTS_CAPTION,
            "There are no observed counts to keep: open them first (Open observed counts...).",
            true);
        return;
    }
    if (!keep_counts_rows(records.counts_link, observed.text)) {
        front_end.show_file_message(KEEP_COUNTS_CAPTION,
                                    "The counts are too large to keep in the scenario; "
                                    "it still links them by their file.",
                                    true);
        return;
    }
    context.explorer.sync(records);
    front_end.show_file_message(KEEP_COUNTS_CAPTION,
                                "The " + std::to_string(observed.counts.points.size()) +
                                    " counts are kept in the scenario: the scenario file saved "
                                    "next holds them.",
                                false);
}

void fit_observed_counts(ExplorerContext& context) {
    Records& records = context.commands.records;
    FrontEnd& front_end = context.commands.front_end;
    context.explorer.sync(records);
    ObservedOverlay& observed = context.explorer.observed;
    if (observed.problem.empty() && !observed.counts.points.empty()) {
        FitChoice choice = fit_choice_of(records);
        const Asked asked = context.host.ask_fit_choice(choice);
        if (asked == Asked::Cancelled) return;
        if (asked == Asked::Chosen) {
            if (choice.fields.empty()) {
                front_end.show_file_message(FIT_COUNTS_CAPTION, "Tick at least one field to fit.",
                                            true);
                return;
            }
            set_fit_choice(records, choice);
            context.explorer.sync(records);
        }
    }
    const InterventionMode mode = records.mode >= 0 ? records.mode : MODE_NO_INTERVENTION;
    CountFit fit;
    FitObjective objective = observed.objective;
    std::string problem;
    if (!fit_linked_counts(records, observed, fit, objective, problem)) {
        front_end.show_file_message(FIT_COUNTS_CAPTION, problem, true);
        return;
    }
    std::vector<TypedField> typed;
    for (std::size_t d = 0; d < fit.fields.size(); ++d) {
        if (fit.fields[d].name == "reporting") {
            // Kept in the scenario's line, so that it is saved with it.
            observed.observation.reporting = fit.fields[d].value;
            std::string text;
            append_shortest(text, fit.fields[d].value);
            set_link_text(records.counts_link, "reporting", text);
            continue;
        }
        TypedField field;
        find_editable_field(fit.fields[d].name, field);
        append_shortest(field.text, fit.fields[d].value);
        typed.push_back(std::move(field));
    }
    SetupRefusal refused;
    if (!apply_typed_fields(records, typed, refused)) {
        front_end.show_file_message(FIT_COUNTS_CAPTION, "The fitted values were refused.", true);
        return;
    }
    records.mode = mode;
    {
        const ExplorerFedByRuns fed(context.commands, context.explorer);
        run_current_mode(context.commands);
    }
    front_end.show_file_message(FIT_COUNTS_CAPTION, fit_result_text(fit, objective), false);
}

}  // namespace morbilex
