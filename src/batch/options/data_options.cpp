#include "batch/options/data_options.h"

#include "batch/options/option_table.h"
#include "shell/scenario_document.h"
#include "text/read.h"

namespace morbilex::batch {
namespace {

DataOptions& data_of(OptionTargets& into) {
    into.request->data.any_given = true;
    return into.request->data;
}

}  // namespace

bool read_data(const GivenOption& given, OptionTargets& into, std::string& error) {
    DataOptions& data = data_of(into);
    data.option = given.argument;
    data.path = given.value;
    data.text.clear();
    return !data.path.empty() || refuse_option(error, given.argument, "a file name is needed");
}

bool read_data_series(const GivenOption& given, OptionTargets& into, std::string& error) {
    if (count_measure_named(given.value, data_of(into).observation.measure)) return true;
    return refuse_option(error, given.argument,
                         "the counts are prevalence, incidence or cumulative");
}

bool read_data_column(const GivenOption& given, OptionTargets& into, std::string& error) {
    data_of(into).reading.column = given.value;
    return !given.value.empty() || refuse_option(error, given.argument, "a column name is needed");
}

bool read_data_day_zero(const GivenOption& given, OptionTargets& into, std::string& error) {
    long long days = 0;
    data_of(into).reading.day_zero_date = given.value;
    return read_iso_date(given.value, days) ||
           refuse_option(error, given.argument, "the date is YYYY-MM-DD");
}

bool read_population(const GivenOption& given, OptionTargets& into, std::string& error) {
    double& population = data_of(into).observation.population;
    if (read_full_number(given.value, population) && population > 0.0) return true;
    return refuse_option(error, given.argument, "the population is a number above 0");
}

bool read_reporting(const GivenOption& given, OptionTargets& into, std::string& error) {
    double& reporting = data_of(into).observation.reporting;
    if (read_full_number(given.value, reporting) && reporting > 0.0 && reporting <= 1.0) {
        return true;
    }
    return refuse_option(error, given.argument, "the reporting fraction is above 0 and at most 1");
}

bool read_fit(const GivenOption& given, OptionTargets& into, std::string& error) {
    DataOptions& data = data_of(into);
    std::string_view names = given.value;
    for (;;) {
        const std::size_t comma = names.find(',');
        const std::string_view name = names.substr(0, comma);
        const FitField* field = find_fit_field(name);
        if (field == nullptr) {
            std::string known;
            for (const FitField& each : fit_fields())
                known += (known.empty() ? "" : ", ") + std::string(each.name);
            return refuse_option(
                error, given.argument,
                "'" + std::string(name) + "' is not a field to fit (" + known + ")");
        }
        for (const FitField* earlier : data.fit) {
            if (earlier == field) {
                return refuse_option(error, given.argument,
                                     std::string(field->name) + " is named twice");
            }
        }
        data.fit.push_back(field);
        if (comma == std::string_view::npos) return true;
        names.remove_prefix(comma + 1);
    }
}

bool read_fit_objective(const GivenOption& given, OptionTargets& into, std::string& error) {
    if (fit_objective_named(given.value, data_of(into).objective)) return true;
    return refuse_option(error, given.argument, "the objective is least-squares or poisson");
}

bool read_fit_output(const GivenOption& given, OptionTargets& into, std::string& error) {
    data_of(into).fit_output = given.value;
    return !given.value.empty() || refuse_option(error, given.argument, "a file name is needed");
}

bool read_counts_link(const GivenOption& scenario,
                      const std::vector<std::pair<std::string, std::string>>& link,
                      OptionTargets& into, std::string& error) {
    for (const auto& [name, text] : link) {
        if (name == COUNTS_ROW_NAME) continue;
        std::string option_name = name;
        for (char& c : option_name)
            if (c == '_') c = '-';
        const std::string argument =
            std::string(scenario.argument) + " (" + name + " = " + text + ")";
        const BatchOption* option =
            find_batch_option(OptionPart::Run, option_name, OptionTakes::Value);
        if (option == nullptr || !option->read({argument, text}, into, error)) return false;
    }
    if (!counts_rows_kept(link)) return true;
    DataOptions& data = data_of(into);
    data.option = std::string(scenario.argument) + " (its data_row lines)";
    data.path.clear();
    data.text = counts_rows_text(link);
    return true;
}

const char* data_usage_text() {
    return "\n"
           "Observed counts and fitting:\n"
           "  --data=FILE.csv  counts to compare with: a header with a column day (days\n"
           "                   since day 0) or date (YYYY-MM-DD) and a count column;\n"
           "                   drawn on --chart, their objective added to --summary\n"
           "  --data-column=NAME     the count column when there are several\n"
           "  --data-day-zero=DATE   the date of day 0 (default: the first date)\n"
           "  --data-series=prevalence|incidence|cumulative   what the counts measure:\n"
           "                   persons infectious on the day (default), new cases during\n"
           "                   the day before it, or new cases summed from day 0\n"
           "  --population=N   the population the counts are of (default 10000)\n"
           "  --reporting=F    the share of cases counted, above 0 to 1 (default 1)\n"
           "  --fit=FIELD,...  fits these fields to the counts (R_0, latent_period,\n"
           "                   infectious_period, init_E, init_I, reporting, and in mode 1\n"
           "                   Redct1..3, t_srt1..3, t_stp1..3), then runs the fitted\n"
           "                   scenario as usual\n"
           "  --fit-objective=least-squares|poisson   (default least-squares)\n"
           "  --fit-output=FILE.csv  the fit: field,value,low,high with 95 % intervals,\n"
           "                   then the objective and the RMSE\n";
}

}  // namespace morbilex::batch
