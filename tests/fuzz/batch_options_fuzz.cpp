// morbilex-batch's options from random arguments: parsing only. Whatever it
// accepts must be within the tool's own limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/options/batch_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Arguments are separated by zero bytes, as in a real argv.
    std::vector<std::string> arguments{"morbilex-batch"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    arguments.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    morbilex::batch::BatchRequest request;
    std::string error;
    const bool parsed = morbilex::batch::parse_options(static_cast<int>(arguments.size()),
                                                       argv.data(), request, error);
    if (parsed != error.empty()) std::abort();  // a refusal always says why
    if (!parsed) return 0;
    if (request.mode < 0 || request.mode > 2) std::abort();
    for (int side : {request.chart_width, request.chart_height}) {
        if (side <= 0 || side > morbilex::batch::LARGEST_CHART_SIDE) std::abort();
    }
    for (const auto& typed : request.typed) {
        if (typed.field == nullptr || typed.text.size() > 63) std::abort();
    }
    return 0;
}
