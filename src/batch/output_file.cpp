#include "batch/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace morbilex::batch {
namespace {

std::string reason_of(int error_number) {
    return std::strerror(error_number);
}

// The system's own streams and devices are written in place, never replaced.
bool written_in_place(const std::string& path) {
    struct stat info = {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return true;
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// The descriptor of standard output or error when path names its file (as
// /dev/stdout does), -1 otherwise. Written through a copy of it, an output
// keeps to its offset, after what went there before, and truncates nothing.
int standard_descriptor_of(const std::string& path) {
    struct stat target = {};
    if (stat(path.c_str(), &target) != 0) return -1;
    for (int descriptor : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat standard = {};
        if (fstat(descriptor, &standard) == 0 && standard.st_dev == target.st_dev &&
            standard.st_ino == target.st_ino) {
            return descriptor;
        }
    }
    return -1;
}

std::FILE* open_in_place(const std::string& path) {
    const int standard = path == "-" ? STDOUT_FILENO : standard_descriptor_of(path);
    if (standard < 0) return std::fopen(path.c_str(), "w");
    std::fflush(stdout);
    const int copy = dup(standard);
    std::FILE* stream = copy >= 0 ? fdopen(copy, "w") : nullptr;
    if (stream == nullptr && copy >= 0) close(copy);
    return stream;
}

// The file a link points to, so that the link stays; path otherwise. A link
// that points nowhere yet names the file to create.
std::string file_behind(const std::string& path) {
    struct stat info = {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) return resolved;
    const ssize_t length = readlink(path.c_str(), resolved, sizeof resolved - 1);
    if (length <= 0) return path;
    const std::string target(resolved, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    if (target.front() == '/' || slash == std::string::npos) return target;
    return path.substr(0, slash + 1) + target;
}

// A new file beside target with the mode a new file gets there (or the mode
// of the file it replaces); -1 with errno when none can be made.
int create_beside(const std::string& target, std::string& name) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + ".tmp-" + std::to_string(getpid()) + "-" +
               std::to_string(attempt);
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            struct stat old = {};
            if (descriptor >= 0 && stat(target.c_str(), &old) == 0) fchmod(descriptor, old.st_mode);
            return descriptor;
        }
    }
    return -1;
}

}  // namespace

PendingOutput::~PendingOutput() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool PendingOutput::open(const std::string& path, std::string& error) {
    if (path == "-" || written_in_place(path)) {
        stream_ = open_in_place(path);
        if (stream_ == nullptr) error = reason_of(errno);
        return stream_ != nullptr;
    }
    target_ = file_behind(path);
    // A file the user may not write to is not replaced either.
    if (access(target_.c_str(), F_OK) == 0 && access(target_.c_str(), W_OK) != 0) {
        error = reason_of(errno);
        return false;
    }
    const int descriptor = create_beside(target_, temporary_);
    if (descriptor < 0) {
        error = reason_of(errno);
        temporary_.clear();
        return false;
    }
    stream_ = fdopen(descriptor, "w");
    if (stream_ == nullptr) {
        error = reason_of(errno);
        close(descriptor);
        return false;
    }
    return true;
}

bool PendingOutput::finish(std::string& error) {
    bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    int error_number = written ? 0 : errno;
    // A full disk may only show when the data reach it.
    if (written && !temporary_.empty() && fsync(fileno(stream_)) != 0) {
        written = false;
        error_number = errno;
    }
    if (std::fclose(stream_) != 0 && written) {
        written = false;
        error_number = errno;
    }
    stream_ = nullptr;
    if (!written) error = reason_of(error_number != 0 ? error_number : EIO);
    return written;
}

bool PendingOutput::commit(std::string& error) {
    if (temporary_.empty()) return true;
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = reason_of(errno);
        return false;
    }
    temporary_.clear();
    return true;
}

bool prepare_output(PendingOutput& output, const std::string& option, const std::string& path,
                    const std::function<bool(std::FILE*)>& fill, std::string& error) {
    std::string reason;
    if (output.open(path, reason)) {
        const bool filled = fill(output.stream());
        if (output.finish(reason) && filled) return true;
        if (reason.empty()) reason = "not all of it could be written";
    }
    error = option + path + ": the file could not be written (" + reason + ")";
    return false;
}

bool prepare_output(PendingOutput& output, const std::string& option, const std::string& path,
                    const std::string& bytes, std::string& error) {
    const auto write_bytes = [&bytes](std::FILE* out) {
        return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    };
    return prepare_output(output, option, path, write_bytes, error);
}

bool outputs_are_distinct(const std::vector<std::pair<std::string, std::string>>& outputs,
                          std::string& error) {
    std::vector<std::string> files(outputs.size());
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const std::string& path = outputs[k].second;
        if (path.empty() || path == "-" || written_in_place(path)) continue;
        std::error_code ignored;
        const auto absolute = std::filesystem::absolute(file_behind(path), ignored);
        files[k] = std::filesystem::weakly_canonical(absolute, ignored).string();
        for (std::size_t j = 0; j < k; ++j) {
            if (files[j] == files[k] && !files[k].empty()) {
                error = outputs[k].first + path + ": the same file as " + outputs[j].first +
                        outputs[j].second;
                return false;
            }
        }
    }
    return true;
}

bool print_to_standard_output(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

}  // namespace morbilex::batch
