#include "shell/file_messages.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace morbilex {
namespace {

std::string full_path(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.lexically_normal().string();
}

}  // namespace

std::string file_problem_text(const std::string& path, int error_number) {
    std::string text = full_path(path);
    if (error_number != 0) text += std::string(": ") + std::strerror(error_number);
    return text;
}

std::string trace_failure_text(const std::string& trace_path, int error_number) {
    std::string text = "The trace file " + full_path(trace_path) + " could not be written";
    if (error_number != 0) text += std::string(" (") + std::strerror(error_number) + ")";
    return text + "; the chart shows the full run.";
}

std::string settings_set_aside_text(const std::string& reason, const std::string& kept_path) {
    return "The remembered settings could not be read (" + reason + "); the file is kept as " +
           full_path(kept_path) + " and this session starts with the usual values.";
}

std::string settings_left_alone_text(const std::string& reason, const std::string& why_kept) {
    return "The remembered settings could not be read (" + reason + ") nor moved aside (" +
           why_kept + "); the file stays as it is and this session's settings are not kept.";
}

}  // namespace morbilex
