// The words morbilex-batch prints for a refused field or scenario.
#include "batch/refusal_text.h"

namespace morbilex::batch {
namespace {

std::string field_name(const ScenarioRefusal& refusal) {
    return refusal.field != nullptr ? refusal.field->name : "?";
}

// NAME=TEXT refused: WHY
std::string field_with_reason(const ScenarioRefusal& refusal) {
    return field_name(refusal) + "=" + (refusal.typed ? refusal.text : "(as shown)") +
           " refused: " + refusal_words(refusal.reason);
}

}  // namespace

std::string single_run_refusal_text(const ScenarioRefusal& refusal) {
    if (refusal.typed) return "--" + field_with_reason(refusal);
    return "--" + field_name(refusal) +
           " (not given, left as shown) refused: " + refusal_words(refusal.reason);
}

std::string scenario_refusal_text(const ScenarioRefusal& refusal) {
    const std::string run = "run_id " + std::to_string(refusal.run_id) + ": ";
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable) {
        return run + "the run cannot integrate these values";
    }
    return run + field_with_reason(refusal);
}

std::string checked_refusal_text(const ScenarioRefusal& refusal, const SweepAxis& axis) {
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable) {
        return scenario_refusal_text(refusal);
    }
    if (field_name(refusal) == axis.name)
        return axis.option + ": " + scenario_refusal_text(refusal);
    return "--" + field_with_reason(refusal);
}

std::string table_refusal_text(const ScenarioRefusal& refusal, const ScenarioTable& table,
                               long long row) {
    for (const ScenarioColumn& column : table.columns) {
        if (refusal.cause == ScenarioRefusal::Cause::FieldRefused &&
            field_name(refusal) == column.name) {
            return table.option + ": " + table.path + " line " + std::to_string(table.lines[row]) +
                   ": " + field_with_reason(refusal);
        }
    }
    if (refusal.cause == ScenarioRefusal::Cause::NotIntegrable) {
        return scenario_refusal_text(refusal);
    }
    return "--" + field_with_reason(refusal);
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

}  // namespace morbilex::batch
