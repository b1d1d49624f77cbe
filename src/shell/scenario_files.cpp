#include "shell/scenario_files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include "shell/file_messages.h"
#include "shell/scenario_document.h"

namespace morbilex {
namespace {

namespace fs = std::filesystem;

// Symbolic links followed from one name before giving up (a loop).
constexpr int MOST_LINKS = 40;
// Renames tried while the system says the target is in use.
constexpr int MOST_RENAMES = 1000;
constexpr const char* SETTINGS_FILE_NAME = "settings.morbilex";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Only a regular file is read: a pipe or a device could keep the program
// waiting for ever, and a folder has no text.
bool is_readable_kind(const std::string& path, std::string& error) {
    std::error_code failure;
    const fs::file_status status = fs::status(path, failure);
    if (status.type() == fs::file_type::not_found) {
        error = file_problem_text(path, ENOENT);
        return false;
    }
    if (failure) {
        error = file_problem_text(path, failure.value());
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        error = file_problem_text(path, 0) + ": a folder, not a scenario file";
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        error = file_problem_text(path, 0) +
                ": not a regular file (a pipe, a device or a socket), not a scenario file";
        return false;
    }
    return true;
}

bool read_whole_text(const std::string& path, std::string& text, std::string& error) {
    if (!is_readable_kind(path, error)) return false;
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
        if (text.size() > LARGEST_SCENARIO_DOCUMENT) {
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

// The file a name stands for: symbolic links followed, a relative one from
// the folder of the link. A dangling link gives the name it points to.
fs::path final_target(const std::string& path) {
    fs::path target = path;
    for (int links = 0; links < MOST_LINKS; ++links) {
        std::error_code failure;
        if (!fs::is_symlink(target, failure)) break;
        const fs::path next = fs::read_symlink(target, failure);
        if (failure) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// A number no other call of this process gives, and unlikely in any other
// process: a random start mixed with a count.
std::uint64_t unique_number() {
    static const std::uint64_t start = [] {
        std::random_device device;
        const auto clock =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return (std::uint64_t{device()} << 32 ^ device()) ^ clock;
    }();
    static std::atomic<std::uint64_t> count{0};
    // splitmix64: distinct counts give distinct numbers.
    std::uint64_t z = start + 0x9e3779b97f4a7c15u * (count.fetch_add(1) + 1);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

// Creates a file that did not exist; null with the reason otherwise. The
// open is exclusive where the C library knows "x"; one that does not may
// ignore it, so a name already taken is never opened.
File create_new_file(const std::string& path, int& reason) {
    std::error_code failure;
    if (fs::exists(fs::symlink_status(path, failure))) {
        reason = EEXIST;
        return nullptr;
    }
    errno = 0;
    File file(std::fopen(path.c_str(), "wbx"));
    if (!file && errno == EINVAL) file.reset(std::fopen(path.c_str(), "wb"));
    reason = errno != 0 ? errno : EIO;
    return file;
}

// A new file of a name no other writer uses, beside target.
File create_temporary_beside(const fs::path& target, std::string& temporary, int& reason) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char number[20];
        std::snprintf(number, sizeof number, "%016llx",
                      static_cast<unsigned long long>(unique_number()));
        std::string name = ".";
        name += target.filename().string();
        name += '.';
        name += number;
        name += ".part";
        temporary = (target.parent_path() / name).string();
        File file = create_new_file(temporary, reason);
        if (file || reason != EEXIST) return file;
    }
    return nullptr;
}

// Written beside the target under a name of its own, then renamed over it: a
// failure leaves the old file as it was, and writers at the same time leave
// one whole document. A symbolic link stays a link: the file it points to is
// replaced.
bool write_whole_text(const std::string& path, const std::string& text, std::string& error) {
    const fs::path target = final_target(path);
    std::string temporary;
    int reason = 0;
    File file = create_temporary_beside(target, temporary, reason);
    if (!file) {
        error = file_problem_text(path, reason);
        return false;
    }
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         std::fflush(file.get()) == 0;
    reason = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code failure;
    if (written && closed) {
        // The file replaced keeps its permissions.
        const fs::file_status old = fs::status(target, failure);
        if (!failure && fs::is_regular_file(old))
            fs::permissions(temporary, old.permissions(), failure);
        // Windows refuses a rename over a file that another save is
        // replacing at this instant: that passes at once.
        for (int attempt = 0; attempt < MOST_RENAMES; ++attempt) {
            fs::rename(temporary, target, failure);
            if (failure != std::errc::permission_denied) break;
        }
        if (!failure) return true;
        error = file_problem_text(path, failure.value());
    } else {
        error = file_problem_text(path, reason);
    }
    fs::remove(temporary, failure);
    return false;
}

// Moves the file at path (the file a link points to) to path + ".bad", or
// ".bad.2", ".bad.3" ... when that is taken; the name given, or empty with the
// reason.
std::string move_aside(const std::string& path, std::string& reason) {
    const fs::path target = final_target(path);
    for (int number = 1; number < 1000; ++number) {
        std::string name = target.string();
        name += ".bad";
        if (number > 1) {
            name += '.';
            name += std::to_string(number);
        }
        int failure_number = 0;
        if (!create_new_file(name, failure_number)) {
            if (failure_number == EEXIST) continue;
            reason = file_problem_text(name, failure_number);
            return {};
        }
        std::error_code failure;
        fs::rename(target, name, failure);
        if (!failure) return name;
        reason = file_problem_text(path, failure.value());
        fs::remove(name, failure);
        return {};
    }
    reason = file_problem_text(target.string() + ".bad", EEXIST);
    return {};
}

}  // namespace

bool load_scenario_file(const std::string& path, Records& records, InterventionMode& mode,
                        std::string& error, ViewSwitches view) {
    std::string text;
    if (!read_whole_text(path, text, error)) return false;
    std::string reason;
    if (!read_scenario_document(text, records, mode, reason, view)) {
        error = file_problem_text(path, 0) + ": " + reason;
        return false;
    }
    std::error_code failure;
    const fs::path full = fs::absolute(path, failure);
    records.scenario_file = failure ? path : full.string();
    // Linked counts named relative to the scenario file are found beside it.
    for (auto& [name, value] : records.counts_link) {
        const fs::path folder = fs::path(path).parent_path();
        if (name == "data" && fs::path(value).is_relative() && !folder.empty()) {
            value = (folder / value).string();
        }
    }
    return true;
}

bool save_scenario_file(std::string& path, const Records& records, std::string& error) {
    if (!fs::path(path).has_extension()) path += SCENARIO_FILE_EXTENSION;
    return write_whole_text(path, write_scenario_document(records), error);
}

std::string scenario_file_name(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string settings_file_path(const std::string& folder) {
    // Tests and scripts that start the programs keep a user's settings out.
    if (const char* off = std::getenv("MORBILEX_NO_SETTINGS"); off != nullptr && off[0] != '\0')
        return {};
    if (folder.empty()) return {};
    return (fs::path(folder) / SETTINGS_FILE_NAME).string();
}

std::string load_remembered_settings(std::string& path, Records& records,
                                     InterventionMode* remembered_mode, ViewSwitches view) {
    InterventionMode unused = MODE_NOTHING_CALCULATED;
    InterventionMode& mode = remembered_mode != nullptr ? *remembered_mode : unused;
    mode = MODE_NOTHING_CALCULATED;
    std::error_code failure;
    if (path.empty() || fs::status(path, failure).type() == fs::file_type::not_found) return {};
    std::string text;
    std::string reason;
    if (read_whole_text(path, text, reason)) {
        if (read_scenario_document(text, records, mode, reason, view)) return {};
        mode = MODE_NOTHING_CALCULATED;
        reason = file_problem_text(path, 0) + ": " + reason;
    }
    std::string why_kept;
    const std::string aside = move_aside(path, why_kept);
    if (aside.empty()) {
        path.clear();
        return settings_left_alone_text(reason, why_kept);
    }
    return settings_set_aside_text(reason, aside);
}

bool save_remembered_settings(const std::string& path, const Records& records, ViewSwitches view) {
    if (path.empty()) return false;
    std::error_code failure;
    fs::create_directories(fs::path(path).parent_path(), failure);
    std::string ignored;
    return !failure &&
           write_whole_text(path, write_scenario_document(records, view, true), ignored);
}

}  // namespace morbilex
