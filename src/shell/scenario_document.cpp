#include "shell/scenario_document.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "shell/care_fields.h"
#include "shell/dialogs.h"
#include "shell/quoted_text.h"
#include "text/read.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

constexpr const char* HEADER = "# Morbilex scenario\n";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

void append_line(std::string& out, const char* name, double value) {
    out += name;
    out += " = ";
    append_shortest(out, value);
    out += '\n';
}

// What one named line sets.
struct Target {
    DialogKind dialog;
    const FieldSpec* field = nullptr;
    int view = -1;  // the index of a view switch
    bool is_mode = false;
    bool is_file = false;  // the remembered scenario file's path
    bool is_counts_link = false;
    const CareField* care = nullptr;
    bool is_care_switch = false;
    bool is_capacity = false;
    bool is_capacity_series = false;
    bool is_range = false;  // a field's "NAME.range" line
    bool is_counts_row = false;
};

constexpr std::string_view RANGE_SUFFIX = ".range";

std::optional<Target> target_named(std::string_view name, ViewSwitches view) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order > 0 && name == field.name) return Target{kind, &field};
        }
    }
    for (std::size_t k = 0; k < view.size(); ++k) {
        if (name == view[k].name)
            return Target{DialogKind::ModelParameters, nullptr, static_cast<int>(k)};
    }
    if (name == "mode") return Target{DialogKind::ModelParameters, nullptr, -1, true};
    if (name == "capacity" || name == "capacity_series") {
        Target capacity{DialogKind::ModelParameters};
        capacity.is_capacity = name == "capacity";
        capacity.is_capacity_series = !capacity.is_capacity;
        return capacity;
    }
    if (name == "scenario_file")
        return Target{DialogKind::ModelParameters, nullptr, -1, false, true};
    if (name == COUNTS_ROW_NAME) {
        Target row{DialogKind::ModelParameters};
        row.is_counts_row = true;
        return row;
    }
    for (const char* link : COUNTS_LINK_NAMES) {
        if (name == link)
            return Target{DialogKind::ModelParameters, nullptr, -1, false, false, true};
    }
    if (const CareField* care = find_care_field(name)) {
        return Target{DialogKind::ModelParameters, nullptr, -1, false, false, false, care};
    }
    if (name == CARE_SWITCH_NAME) {
        return Target{DialogKind::ModelParameters, nullptr, -1, false, false, false, nullptr, true};
    }
    return std::nullopt;
}

// A row of counts as its line holds it after the '=': the one space the
// writer puts there and the carriage returns at its end left out.
std::string_view kept_row(std::string_view text) {
    if (text.starts_with(' ')) text.remove_prefix(1);
    while (text.ends_with('\r'))
        text.remove_suffix(1);
    return text;
}

std::string at_line(int line) {
    return "line " + std::to_string(line) + ": ";
}

}  // namespace

bool counts_rows_kept(const CountsLink& link) {
    return std::any_of(link.begin(), link.end(),
                       [](const auto& entry) { return entry.first == COUNTS_ROW_NAME; });
}

std::string counts_rows_text(const CountsLink& link) {
    std::string text;
    for (const auto& [name, row] : link) {
        if (name != COUNTS_ROW_NAME) continue;
        text += row;
        text += '\n';
    }
    return text;
}

void drop_counts_rows(CountsLink& link) {
    std::erase_if(link, [](const auto& entry) { return entry.first == COUNTS_ROW_NAME; });
}

bool keep_counts_rows(CountsLink& link, std::string_view csv) {
    if (csv.size() > LARGEST_KEPT_COUNTS) return false;
    if (csv.starts_with("\xEF\xBB\xBF")) csv.remove_prefix(3);
    drop_counts_rows(link);
    while (!csv.empty()) {
        const std::size_t end = csv.find('\n');
        std::string_view row = csv.substr(0, end);
        csv.remove_prefix(end == std::string_view::npos ? csv.size() : end + 1);
        while (row.ends_with('\r'))  // a reader of the counts ignores them
            row.remove_suffix(1);
        if (!trimmed(row).empty()) link.emplace_back(COUNTS_ROW_NAME, row);
    }
    return true;
}

std::string write_scenario_document(const Records& records, ViewSwitches view, bool remembered) {
    std::string out = HEADER;
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order == 0) continue;
            // The record itself; T_max is n_steps quarter days, exact.
            append_line(out, field.name, field.shown_value(records));
        }
    }
    if (records.mode >= 0) out += "mode = " + std::to_string(records.mode) + "\n";
    // The care layer only when it is on: other documents stay as they were.
    if (records.care.enabled) {
        out += CARE_SWITCH_NAME;
        out += " = 1\n";
        for (const CareField& field : care_fields())
            append_line(out, field.dialog_field.name, field.dialog_field.shown_value(records));
    }
    if (records.capacity.set) {
        append_line(out, "capacity", records.capacity.capacity);
        out += std::string("capacity_series = ") + capacity_series_name(records.capacity.series) +
               "\n";
    }
    for (const auto& [name, text] : records.counts_link)
        out += name + " = " + text + "\n";
    for (const auto& [name, text] : records.range_lines)
        out += name + std::string(RANGE_SUFFIX) + " = " + text + "\n";
    for (const ViewSwitch& view_switch : view) {
        out += view_switch.name;
        out += *view_switch.value ? " = 1\n" : " = 0\n";
    }
    if (remembered) {
        const std::string& file = records.scenario_file;
        if (!file.empty() && file.find_first_of("\r\n") == std::string::npos &&
            file.front() != ' ' && file.back() != ' ') {
            out += "scenario_file = " + file + "\n";
        }
    }
    return out;
}

bool read_scenario_document(std::string_view text, Records& records, InterventionMode& mode,
                            std::string& error, ViewSwitches view) {
    Records staged;
    std::vector<bool> staged_view;
    for (const ViewSwitch& view_switch : view)
        staged_view.push_back(*view_switch.value);
    DialogScratch scratch;
    scratch.T_max = staged.model.n_steps * staged.model.dt;
    InterventionMode staged_mode = MODE_NOTHING_CALCULATED;
    struct Seen {
        std::string name;
        int line;
        int control_id;
    };
    std::vector<Seen> seen;
    bool care_switch_given = false;
    // Some editors start what they save in UTF-8 with a byte order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view content = trimmed(raw);
        if (content.empty() || content[0] == '#') continue;
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos) {
            error = at_line(line) + "not a \"name = value\" line: " + quoted_text(content);
            return false;
        }
        const std::string name(trimmed(content.substr(0, equals)));
        const std::string_view value = trimmed(content.substr(equals + 1));
        // A field's range (NAME.range = low:high[:mode]) is kept as text for
        // the ensemble's own reader: the field itself keeps its line's value.
        std::optional<Target> target;
        if (name.ends_with(RANGE_SUFFIX)) {
            target = Target{DialogKind::ModelParameters};
            target->is_range = true;
        } else {
            target = target_named(name, view);
        }
        if (!target) {
            error = at_line(line) + "unknown name " + quoted_text(name) +
                    (name == "init_S" ? " (S(0) is what E(0), I(0) and R(0) leave of 10000)" : "");
            return false;
        }
        if (target->is_counts_row) {
            // The counts' rows, as many as they are, in order, each as
            // written: a blank at either end can be an empty cell.
            const std::string_view row = kept_row(raw.substr(raw.find('=') + 1));
            if (trimmed(row).empty()) {
                error = at_line(line) + name + " refused: the row is empty";
                return false;
            }
            staged.counts_link.emplace_back(name, row);
            continue;
        }
        for (const Seen& earlier : seen) {
            if (earlier.name == name) {
                error = at_line(line) + name + " is given twice (first on line " +
                        std::to_string(earlier.line) + ")";
                return false;
            }
        }
        seen.push_back({name, line, target->field != nullptr ? target->field->control_id : 0});
        const std::string refused =
            at_line(line) + name + " = " + quoted_text(value) + " refused: ";
        if (target->is_file) {
            staged.scenario_file = value;
        } else if (target->is_mode) {
            if (value.size() != 1 || value[0] < '0' || value[0] > '2') {
                error =
                    refused + "the mode is 0 (no intervention), 1 (one-time) or 2 (intermittent)";
                return false;
            }
            staged_mode = value[0] - '0';
        } else if (target->is_care_switch) {
            if (value != "0" && value != "1") {
                error = refused + "the care layer is 0 (off) or 1 (on)";
                return false;
            }
            staged.care.enabled = value == "1";
            care_switch_given = true;
        } else if (target->care != nullptr) {
            double number = 0.0;
            const RefusalReason reason = read_field_text(target->care->dialog_field, value, number);
            if (reason != RefusalReason::None) {
                error = refused + care_refusal_text(reason);
                return false;
            }
            *target->care->dialog_field.storage(staged, scratch) = number;
            // A care field given turns the layer on, unless "care = 0" says otherwise.
            if (!care_switch_given) staged.care.enabled = true;
        } else if (target->is_capacity) {
            double persons = 0.0;
            if (!read_full_number(value, persons) || !(persons >= 0.0)) {
                error = refused + "the capacity is a number of persons per 10,000, 0 or more";
                return false;
            }
            staged.capacity.set = true;
            staged.capacity.capacity = persons;
        } else if (target->is_capacity_series) {
            if (!capacity_series_of_name(value, staged.capacity.series)) {
                error = refused + "the series is infectious, hospital or icu";
                return false;
            }
        } else if (target->is_range) {
            if (value.empty()) {
                error = refused + "the value is empty";
                return false;
            }
            staged.range_lines.emplace_back(name.substr(0, name.size() - RANGE_SUFFIX.size()),
                                            value);
        } else if (target->is_counts_link) {
            if (value.empty()) {
                error = refused + "the value is empty";
                return false;
            }
            staged.counts_link.emplace_back(name, value);
        } else if (target->view >= 0) {
            if (value != "0" && value != "1") {
                error = refused + "a view option is 0 (off) or 1 (on)";
                return false;
            }
            staged_view[static_cast<std::size_t>(target->view)] = value == "1";
        } else {
            double number = 0.0;
            const RefusalReason reason = read_field_text(*target->field, value, number);
            if (reason != RefusalReason::None) {
                error = refused + refusal_reason_text(reason);
                return false;
            }
            *target->field->storage(staged, scratch) = number;
        }
    }
    // The model dialog's own tests and repairs: no negative initial value,
    // S(0) what the others leave, the duration in whole steps.
    const DialogTable& model = dialog_table(DialogKind::ModelParameters);
    const Refusal refusal = model.acceptance_test(staged, scratch);
    if (refusal.reason != RefusalReason::None) {
        // Only a value the document gave can be refused here.
        for (const Seen& given : seen) {
            if (given.control_id == refusal.control_id) error = at_line(given.line);
        }
        error += std::string(find_field(model, refusal.control_id)->name) +
                 " refused: " + refusal_reason_text(refusal.reason);
        return false;
    }
    model.post_process(staged, scratch);
    static_cast<Scenario&>(records) = staged;
    records.scale.xmin = staged.scale.xmin;
    records.scale.xmax = staged.scale.xmax;
    records.scale.ymin = staged.scale.ymin;
    records.scale.ymax = staged.scale.ymax;
    for (std::size_t k = 0; k < view.size(); ++k)
        *view[k].value = staged_view[k];
    records.capacity = staged.capacity;
    records.scenario_file = staged.scenario_file;
    records.counts_link = std::move(staged.counts_link);
    records.range_lines = std::move(staged.range_lines);
    mode = staged_mode;
    return true;
}

}  // namespace morbilex
