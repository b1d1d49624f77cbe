#include "batch/options/batch_options.h"

#include <string>
#include <string_view>

#include "batch/options/data_options.h"
#include "batch/options/option_table.h"
#include "shell/care_fields.h"
#include "shell/quoted_text.h"

namespace morbilex::batch {
namespace {

// A care field: read as its dialog field would be, and the care layer on.
bool parse_care_field(const CareField& field, std::string_view value, BatchRequest& request,
                      std::string& error) {
    const std::string name = field.dialog_field.name;
    if (!fits_field(value)) {
        error = "--" + too_long_field_text(name);
        return false;
    }
    double number = 0.0;
    const RefusalReason reason = read_field_text(field.dialog_field, value, number);
    if (reason != RefusalReason::None) {
        // Refused as a dialog's field is: after the options are read.
        if (request.care_refusal.empty()) {
            request.care_refusal =
                "--" + name + "=" + shown_text(value) + " refused: " + care_refusal_text(reason);
        }
        return true;
    }
    Records staged;
    staged.care = request.care;
    DialogScratch scratch;
    *field.dialog_field.storage(staged, scratch) = number;
    request.care = staged.care;
    request.care.enabled = true;
    return true;
}

bool parse_field(std::string_view name, std::string_view value, BatchRequest& request,
                 std::string& error) {
    if (const CareField* care = find_care_field(name)) {
        return parse_care_field(*care, value, request, error);
    }
    TypedField typed;
    if (!find_editable_field(name, typed)) {
        const std::string hint = did_you_mean(name);
        error = name == "init_S" ? "--init_S: S(0) cannot be set; it is what E(0), I(0) and R(0) "
                                   "leave of 10000"
                                 : "unknown option --" + std::string(name) +
                                       (hint.empty() ? " (see --help)" : hint);
        return false;
    }
    if (!fits_field(value)) {
        error = "--" + too_long_field_text(name);
        return false;
    }
    typed.text = value;
    request.typed.push_back(typed);
    return true;
}

}  // namespace

bool given_once(std::vector<std::string_view>& given, std::string_view name, std::string& error) {
    for (std::string_view earlier : given) {
        if (earlier == name) {
            error = "--" + std::string(name) + " is given twice";
            return false;
        }
    }
    given.push_back(name);
    return true;
}

bool parse_options(int argc, const char* const argv[], BatchRequest& request, std::string& error) {
    OptionTargets targets{&request, nullptr};
    const auto read = [&](const BatchOption& option, const GivenOption& given) {
        return option.read(given, targets, error);
    };
    std::vector<std::string_view> given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        GivenOption option;
        std::string_view name;
        if (!split_option(argument, option, name)) {
            const std::string_view flag = argument == "-h" ? "--help" : argument;  // its short form
            const BatchOption* known =
                flag.substr(0, 2) == "--"
                    ? find_batch_option(OptionPart::Run, flag.substr(2), OptionTakes::Nothing)
                    : nullptr;
            if (known != nullptr) {
                read(*known, {argument, {}});
                continue;
            }
            const std::string hint =
                argument.substr(0, 2) == "--" ? did_you_mean(argument.substr(2)) : "";
            error = argument.substr(0, 2) == "--"
                        ? "unknown option " + std::string(argument) +
                              (hint.empty() ? " (options take the form --NAME=VALUE)" : hint)
                        : "unexpected argument '" + std::string(argument) + "' (see --help)";
            return false;
        }
        const BatchOption* known = find_batch_option(OptionPart::Run, name, OptionTakes::Value);
        if (!given_once(given, name, error) ||
            !(known ? read(*known, option) : parse_field(name, option.value, request, error))) {
            return false;
        }
    }
    return true;
}

std::string usage_text() {
    std::string text =
        "Usage: morbilex-batch [--scenario=FILE] [--FIELD=VALUE]... [--mode=0|1|2]\n"
        "                      [--trace=PATH]\n"
        "                      [--chart=PATH [--size=WIDTHxHEIGHT]]\n"
        "Runs the Morbilex SEIR model once, without a window, and writes its trace.\n"
        "\n"
        "Fields are filled in as if typed into the program's dialogs, which then take\n"
        "them exactly as after OK: model, one-time, intermittent, scale, in that order.\n"
        "A dialog's other fields keep the values it shows.\n";
    const char* headings[] = {"Main parameters", "One-time intervention",
                              "Intermittent intervention", "Scale of the axes"};
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        text += "\n";
        text += headings[static_cast<int>(kind)];
        text += ":\n ";
        std::size_t column = 1;
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order == 0) continue;
            const std::string option = std::string(" --") + field.name + "=";
            if (column + option.size() > 78) {
                text += "\n ";
                column = 1;
            }
            text += option;
            column += option.size();
        }
        text += "\n";
    }
    text += "\nCare layer (hospital, intensive care, deaths; on when one is given):\n ";
    for (const CareField& field : care_fields()) {
        text += std::string(" --") + field.dialog_field.name + "=";
    }
    text +=
        "\n"
        "\n"
        "Run and output:\n"
        "  --mode=0|1|2     0 no intervention (default), 1 one-time, 2 intermittent\n"
        "  --scenario=FILE  the fields and mode of a scenario file (.morbilex) the\n"
        "                   programs saved; options after it change them\n"
        "  --trace=PATH     the trace of the run (default, or -: standard output)\n"
        "  --chart=PATH     the chart of the run as PNG, SVG or PDF (by the extension;\n"
        "                   PNG to a device or a pipe, or to standard output as -)\n"
        "  --size=WxH       the chart's size in pixels (default 1200x700), each side\n"
        "                   1 to 16384; an SVG or PDF page has that size at 96 dpi\n"
        "  --care=FILE.csv  the care layer's persons in hospital, in intensive care and\n"
        "                   deaths so far at every step (.gz: compressed); turns it on\n"
        "  --help           this text\n"
        "  --version        the program's name and version\n";
    text += data_usage_text();
    text +=
        "\n"
        "Exit status: 0 done; 1 a field, the run or an output failed; 2 a wrong option;\n"
        "3 the run overflowed: its trace and chart are written, and standard error names\n"
        "the first day whose values are not finite (inf or nan).\n"
        "On failures 1 and 2 one line on standard error says why, and no file is written\n"
        "or changed.\n";
    return text;
}

}  // namespace morbilex::batch
