#include "batch/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "batch/interrupt.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>

// Under node every process is pid 42 to itself: node's own pid names a
// temporary, and node tells whether the process that made it is gone.
// clang-format off
EM_JS(int, node_process_id, (), {
    return process.pid;
});
EM_JS(int, node_process_gone, (int pid), {
    try { process.kill(pid, 0); return 0; } catch (e) { return e.code === 'ESRCH' ? 1 : 0; }
});
// clang-format on
#endif

namespace morbilex::batch {
namespace {

long own_process_id() {
#if defined(__EMSCRIPTEN__)
    return node_process_id();
#else
    return getpid();
#endif
}

bool process_gone(long pid) {
#if defined(__EMSCRIPTEN__)
    return node_process_gone(static_cast<int>(pid)) != 0;
#else
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

std::string reason_of(int error_number) {
    return std::strerror(error_number);
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

// What the path is decides, never its text: a device, a pipe, a socket, or
// the file of standard output or error (as /dev/stdout names it) is written in
// place; a regular file, or a path where nothing stands, is replaced.
bool written_in_place(const std::string& path) {
    if (path == "-") return true;
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) return false;
    return !S_ISREG(info.st_mode) || standard_descriptor_of(path) >= 0;
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

// The file at the end of a chain of links, so that every link stays; path
// when it is no link. A link that points nowhere names the file to create.
// False with errno set when the chain cannot be followed (a loop).
bool file_behind(const std::string& path, std::string& file) {
    file = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info = {};
        if (lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t length = readlink(file.c_str(), target, sizeof target);
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof target)) {
            if (length >= 0) errno = ENAMETOOLONG;
            return false;
        }
        const std::string next(target, static_cast<std::size_t>(length));
        const std::size_t slash = file.rfind('/');
        file = next.front() == '/' || slash == std::string::npos ? next
                                                                 : file.substr(0, slash + 1) + next;
    }
    errno = ELOOP;
    return false;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string base_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The pid in a temporary's name ".BASE[.more].tmp-PID-N", 0 when the name is
// not one of base's.
long pid_of_temporary(const std::string& name, const std::string& base) {
    const std::string start = "." + base;
    if (name.compare(0, start.size(), start) != 0) return 0;
    const std::size_t tmp = name.rfind(".tmp-");
    if (tmp == std::string::npos || tmp < start.size()) return 0;
    if (tmp > start.size() && name[start.size()] != '.') return 0;
    const std::string tail = name.substr(tmp + 5);
    const std::size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == tail.size()) return 0;
    if (tail.find_first_not_of("0123456789-") != std::string::npos) return 0;
    return std::strtol(tail.c_str(), nullptr, 10);
}

// Removes what a killed run writing to path left beside it: its temporaries,
// named after a process that is no longer there.
void remove_dead_temporaries(const std::string& path) {
    const std::string folder = folder_of(path);
    const std::string base = base_of(path);
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder.empty() ? "." : folder, ignored)) {
        const std::string name = entry.path().filename().string();
        const long pid = pid_of_temporary(name, base);
        if (pid > 0 && pid != own_process_id() && process_gone(pid))
            unlink((folder + name).c_str());
    }
}

// A new file beside target with the mode a new file gets there (or the mode
// of the file it replaces); -1 with errno when none can be made.
int create_beside(const std::string& target, std::string& name) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + ".tmp-" + std::to_string(own_process_id()) + "-" +
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
    forget_litter(litter_);
}

bool PendingOutput::open(const std::string& path, std::string& error) {
    if (path == "-" || written_in_place(path)) {
        stream_ = open_in_place(path);
        if (stream_ == nullptr) error = reason_of(errno);
        return stream_ != nullptr;
    }
    if (!file_behind(path, target_)) {
        error = reason_of(errno);
        return false;
    }
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
    litter_ = register_litter(temporary_);
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
    return commit_as(target_, error);
}

bool PendingOutput::commit_as(const std::string& path, std::string& error) {
    if (temporary_.empty()) return true;
    if (rename(temporary_.c_str(), path.c_str()) != 0) {
        error = reason_of(errno);
        return false;
    }
    forget_litter(litter_);
    litter_ = -1;
    temporary_.clear();
    return true;
}

OutputLock::~OutputLock() {
    if (descriptor_ < 0) return;
    unlink(path_.c_str());
    forget_litter(litter_);
    close(descriptor_);
}

bool OutputLock::take(const std::string& option, const std::string& path, std::string& error) {
    return take(option, path, error, flock);
}

bool OutputLock::take(const std::string& option, const std::string& path, std::string& error,
                      LockCall lock_call) {
    std::string file;
    if (path.empty() || written_in_place(path) || !file_behind(path, file)) return true;
#if defined(__EMSCRIPTEN__)
    // node has no flock(): a lock file would claim what it cannot hold.
    (void)option;
    (void)error;
    (void)lock_call;
    remove_dead_temporaries(file);
    if (file != path) remove_dead_temporaries(path);
    return true;
#endif
    path_ = file + ".lock";
    // A lock file removed by its holder between our open and flock is taken
    // again under the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const bool existed = access(path_.c_str(), F_OK) == 0;
        const int descriptor = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        // Where no lock file can be made, no output can be either: opening it tells why.
        if (descriptor < 0) return true;
        const bool locked = lock_call(descriptor, LOCK_EX | LOCK_NB) == 0;
        const int lock_error = locked ? 0 : errno;
        if (!locked && lock_error != EWOULDBLOCK) {
            // A file system without locks (NFS without its lock daemon, a
            // cluster file system mounted without them): nothing can hold
            // the output, and the pids in names may be another machine's.
            warning_ = option + path + ": " + path_ + " cannot be locked here (" +
                       reason_of(lock_error) + "); the output is written without a lock, so a " +
                       "second run on it is not refused";
            close(descriptor);
            if (!existed) unlink(path_.c_str());
            path_.clear();
            return true;
        }
        if (!locked) {
            char holder[32] = {};
            const ssize_t length = pread(descriptor, holder, sizeof holder - 1, 0);
            close(descriptor);
            std::string pid =
                length > 0 ? std::string(holder, static_cast<std::size_t>(length)) : "";
            while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
                pid.pop_back();
            error = option + path + ": another morbilex-batch" +
                    (pid.empty() ? "" : " (pid " + pid + ")") +
                    " is writing this file; it is locked by " + path_;
            return false;
        }
        struct stat held = {}, named = {};
        if (fstat(descriptor, &held) == 0 && stat(path_.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            descriptor_ = descriptor;
            const std::string pid = std::to_string(getpid()) + "\n";
            if (ftruncate(descriptor, 0) != 0 ||
                pwrite(descriptor, pid.data(), pid.size(), 0) < 0) {
                // The pid only informs; the lock holds without it.
            }
            litter_ = register_litter(path_);
            remove_dead_temporaries(file);
            if (file != path) remove_dead_temporaries(path);
            return true;
        }
        close(descriptor);
    }
    error = option + path + ": the lock file " + path_ + " keeps changing";
    return false;
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
        std::string file;
        if (!file_behind(path, file)) continue;  // opening it tells why
        const auto absolute = std::filesystem::absolute(file, ignored);
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

void print_note(const std::string& text) {
    std::fprintf(stderr, "morbilex-batch: %s\n", text.c_str());
}

bool print_to_standard_output(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

}  // namespace morbilex::batch
