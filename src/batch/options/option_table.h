// morbilex-batch's options but the dialogs' fields: name, what each takes, how it is read.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "batch/options/batch_request.h"

namespace morbilex::batch {

enum class OptionTakes {
    Nothing,        // --NAME
    Value,          // --NAME=VALUE
    ValueAndFiles,  // --NAME=VALUE FILE...: every other argument is a file
};

// The parser that reads an option: summaries' and sweeps' options are taken
// out of the command line first, the single run's are read from the rest.
enum class OptionPart { Run, Analysis };

// Where the options read go.
struct OptionTargets {
    BatchRequest* request = nullptr;
    AnalysisOptions* analysis = nullptr;
};

// One option as given.
struct GivenOption {
    std::string_view argument;  // as typed, for messages
    std::string_view value;     // after the '='; empty for OptionTakes::Nothing
};

struct BatchOption {
    std::string_view name;
    OptionTakes takes;
    OptionPart part;
    bool repeatable;  // false: refused when given twice
    // Reads the option into its target; false with a one-line reason naming it.
    bool (*read)(const GivenOption& given, OptionTargets& into, std::string& error);
    // An option only a sweep reads: whether options show it given (an option
    // that changes nothing goes without a sweep too). nullptr for others.
    bool (*sweep_only_given)(const AnalysisOptions& options);
};

// Every option, as --help lists them.
std::span<const BatchOption> batch_option_table();

// The option of part with this name that takes this; nullptr when none.
const BatchOption* find_batch_option(OptionPart part, std::string_view name, OptionTakes takes);

// An argument --NAME=VALUE: its name and value; false for any other argument.
bool split_option(std::string_view argument, GivenOption& given, std::string_view& name);

// A refused option: "ARGUMENT: REASON" in error; false.
bool refuse_option(std::string& error, std::string_view argument, const std::string& reason);

// Whether an option taking a value with this name may be given more than once.
bool repeatable_option(std::string_view name);

// For an unknown option NAME: " (did you mean --KNOWN?)" naming the option or
// field it most likely meant, or "" when none is close.
std::string did_you_mean(std::string_view name);

}  // namespace morbilex::batch
