// The command line of morbilex-batch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/options/batch_request.h"

namespace morbilex::batch {

// The exit statuses of morbilex-batch, as its help lists them.
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_WRONG_OPTION = 2;
inline constexpr int EXIT_NOT_FINITE = 3;     // every output written, but the run overflowed
inline constexpr int EXIT_INTERRUPTED = 130;  // 128 + SIGINT, as a shell reports it

// Reads the arguments into request; false with a one-line reason in error.
bool parse_options(int argc, const char* const argv[], BatchRequest& request, std::string& error);

// An option that takes one value may be given once: false with the reason
// when name is in given already, which it joins otherwise.
bool given_once(std::vector<std::string_view>& given, std::string_view name, std::string& error);

// The --help text.
std::string usage_text();

}  // namespace morbilex::batch
