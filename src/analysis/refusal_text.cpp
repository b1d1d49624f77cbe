// The words a refused field or scenario is told in, by morbilex-batch and the Python module.
#include "analysis/refusal_text.h"

#include "shell/quoted_text.h"

namespace morbilex {
namespace {

std::string field_name(const ScenarioRefusal& refusal) {
    return refusal.field != nullptr ? refusal.field->name : "?";
}

}  // namespace

std::string single_run_refusal_text(const ScenarioRefusal& refusal) {
    if (refusal.typed) return "--" + refused_field_text(refusal);
    return "--" + field_name(refusal) +
           " (not given, left as shown) refused: " + refusal_words(refusal.reason);
}

std::string scenario_refusal_text(const ScenarioRefusal& refusal) {
    return refused_run_text(refusal);
}

std::string checked_refusal_text(const ScenarioRefusal& refusal, const SweepAxis& axis) {
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable) {
        return scenario_refusal_text(refusal);
    }
    if (field_name(refusal) == axis.name)
        return axis.option + ": " + scenario_refusal_text(refusal);
    return "--" + refused_field_text(refusal);
}

std::string table_refusal_text(const ScenarioRefusal& refusal, const ScenarioTable& table,
                               long long row) {
    for (const ScenarioColumn& column : table.columns) {
        if (refusal.cause == ScenarioRefusal::Cause::FieldRefused &&
            field_name(refusal) == column.name) {
            return table.option + ": " + table.path + " line " +
                   std::to_string(table.line_of(row)) + ": " + refused_field_text(refusal);
        }
    }
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable) {
        return scenario_refusal_text(refusal);
    }
    return "--" + refused_field_text(refusal);
}

std::string off_ratio_refusal_text(const ScenarioRefusal& refusal, const std::string& option) {
    const std::string run = " in run_id " + std::to_string(refusal.run_id);
    // F and On_threshold are finite, their product need not be.
    if (refusal.text == "inf" || refusal.text == "-inf") {
        return option + " refused: Off_threshold = F x On_threshold" + run +
               " overflows: the product is larger in size than any number (about 1.8e308)";
    }
    return option + " refused: Off_threshold = F x On_threshold = " + refusal.text + run + ": " +
           refusal_words(refusal.reason);
}

}  // namespace morbilex
