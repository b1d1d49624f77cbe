#include "shell/result_saving.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "shell/file_messages.h"

namespace morbilex {
namespace {

constexpr FileType TRACE_TYPES[] = {{"Trace", "dat"}, {"All files", "*"}};

bool ends_with_extension(const std::string& path, const char* extension) {
    const std::string dotted = std::string(".") + extension;
    if (path.size() <= dotted.size()) return false;
    const std::size_t start = path.size() - dotted.size();
    for (std::size_t i = 0; i < dotted.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(path[start + i])) != dotted[i]) return false;
    }
    return true;
}

// Writes all bytes to the open file and closes it; the system's error number,
// or 0 when everything reached the file.
int write_and_close(std::FILE* file, const std::string& bytes) {
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    int error_number = written ? 0 : (errno != 0 ? errno : EIO);
    if (std::fclose(file) != 0 && error_number == 0) error_number = errno != 0 ? errno : EIO;
    return error_number;
}

// A name beside path that nothing holds yet, for the file that replaces it.
std::string pending_name(const std::string& path) {
    std::error_code ignored;
    for (int attempt = 0;; ++attempt) {
        std::string name = path + ".saving" + (attempt == 0 ? "" : std::to_string(attempt));
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, ignored))) return name;
    }
}

}  // namespace

std::span<const FileType> trace_file_types() {
    return TRACE_TYPES;
}

std::string picture_path_with_type(const std::string& path, std::span<const FileType> types,
                                   int& type) {
    for (std::size_t index = 0; index < types.size(); ++index) {
        if (ends_with_extension(path, types[index].extension)) {
            type = static_cast<int>(index);
            return path;
        }
    }
    if (type < 0 || type >= static_cast<int>(types.size())) type = 0;
    return types.empty() ? path : path + "." + types[type].extension;
}

bool write_whole_file(const std::string& path, const std::string& bytes, std::string& error) {
    std::error_code failure;
    const std::filesystem::file_status status = std::filesystem::status(path, failure);
    const bool in_place = std::filesystem::exists(status) &&
                          !std::filesystem::is_regular_file(status) &&
                          !std::filesystem::is_directory(status);
    const std::string written_path = in_place ? path : pending_name(path);
    errno = 0;
    std::FILE* file = std::fopen(written_path.c_str(), "wb");
    int error_number = file == nullptr ? (errno != 0 ? errno : EIO) : write_and_close(file, bytes);
    if (error_number != 0) {
        if (file != nullptr && !in_place) std::remove(written_path.c_str());
        error = file_problem_text(path, error_number);
        return false;
    }
    if (in_place) return true;
    std::filesystem::rename(written_path, path, failure);
    if (!failure) return true;
    std::remove(written_path.c_str());
    error = file_problem_text(path, 0) + ": " + failure.message();
    return false;
}

bool copy_trace(const std::string& trace_path, const std::string& target, std::string& error) {
    std::error_code failure;
    if (std::filesystem::equivalent(trace_path, target, failure)) {
        error = file_problem_text(target, 0) +
                " is the trace itself, deleted at exit: choose another name";
        return false;
    }
    errno = 0;
    std::FILE* trace = std::fopen(trace_path.c_str(), "rb");
    if (trace == nullptr) {
        error = file_problem_text(trace_path, errno != 0 ? errno : EIO);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, trace)) > 0)
        bytes.append(buffer, count);
    const bool read_failed = std::ferror(trace) != 0;
    std::fclose(trace);
    if (read_failed) {
        error = file_problem_text(trace_path, EIO);
        return false;
    }
    return write_whole_file(target, bytes, error);
}

}  // namespace morbilex
