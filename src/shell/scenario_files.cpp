#include "shell/scenario_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "shell/file_messages.h"
#include "shell/scenario_document.h"

namespace morbilex {
namespace {

// Larger than any document the programs write, by far.
constexpr long LARGEST_DOCUMENT = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool read_whole_text(const std::string& path, std::string& text, std::string& error) {
    errno = 0;
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = file_problem_text(path, errno);
        return false;
    }
    char block[4096];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) {
        text.append(block, count);
        if (text.size() > static_cast<std::size_t>(LARGEST_DOCUMENT)) {
            error = file_problem_text(path, 0) + ": too large for a scenario";
            return false;
        }
    }
    if (std::ferror(file.get())) {
        error = file_problem_text(path, EIO);
        return false;
    }
    return true;
}

// Written beside the target under another name, then renamed over it: a
// failure leaves the old file as it was.
bool write_whole_text(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".part";
    errno = 0;
    File file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
        error = file_problem_text(path, errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         std::fflush(file.get()) == 0;
    const int reason = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code failure;
    if (written && closed) {
        std::filesystem::rename(temporary, path, failure);
        if (!failure) return true;
        error = file_problem_text(path, failure.value());
    } else {
        error = file_problem_text(path, reason);
    }
    std::filesystem::remove(temporary, failure);
    return false;
}

}  // namespace

bool load_scenario_file(const std::string& path, Records& records, InterventionMode& mode,
                        std::string& error) {
    std::string text;
    if (!read_whole_text(path, text, error)) return false;
    std::string reason;
    if (read_scenario_document(text, records, mode, reason)) return true;
    error = file_problem_text(path, 0) + ": " + reason;
    return false;
}

bool save_scenario_file(std::string& path, const Records& records, std::string& error) {
    if (!std::filesystem::path(path).has_extension()) path += SCENARIO_FILE_EXTENSION;
    return write_whole_text(path, write_scenario_document(records, false), error);
}

std::string settings_file_path() {
    // Tests and scripts that start the programs keep a user's settings out.
    if (const char* off = std::getenv("MORBILEX_NO_SETTINGS"); off != nullptr && off[0] != '\0')
        return {};
    std::filesystem::path folder;
#ifdef _WIN32
    const char* application_data = std::getenv("APPDATA");
    if (application_data == nullptr || application_data[0] == '\0') return {};
    folder = std::filesystem::path(application_data) / "Morbilex";
#else
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    folder /= "morbilex";
#endif
    return (folder / "settings.morbilex").string();
}

void load_remembered_settings(Records& records) {
    const std::string path = settings_file_path();
    std::string text;
    std::string ignored;
    if (path.empty() || !read_whole_text(path, text, ignored)) return;
    InterventionMode unused = MODE_NOTHING_CALCULATED;
    read_scenario_document(text, records, unused, ignored);
}

bool save_remembered_settings(const Records& records) {
    const std::string path = settings_file_path();
    if (path.empty()) return false;
    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failure);
    std::string ignored;
    return !failure && write_whole_text(path, write_scenario_document(records, true), ignored);
}

}  // namespace morbilex
