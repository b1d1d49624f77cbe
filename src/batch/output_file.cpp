#include "batch/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace morbilex::batch {

OutputFile::~OutputFile() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
}

bool OutputFile::open(const std::string& path, std::string& error) {
    path_ = path;
    struct stat existing = {};
    const bool exists = lstat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device, a pipe or a link is written in place: renaming a file over
        // it would replace it.
        stream_ = std::fopen(path.c_str(), "wb");
    } else {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        std::vector<char> pattern;
        for (char c : folder + "." + name + ".XXXXXX")
            pattern.push_back(c);
        pattern.push_back('\0');
        const int descriptor = mkstemp(pattern.data());
        if (descriptor >= 0) {
            temporary_ = pattern.data();
            // An output gets the mode it had, or that of any new file.
            mode_t mode = existing.st_mode & 07777;
            if (!exists) {
                const mode_t mask = umask(0);
                umask(mask);
                mode = 0666 & ~mask;
            }
            fchmod(descriptor, mode);
            stream_ = fdopen(descriptor, "wb");
            if (stream_ == nullptr) {
                close(descriptor);
                std::remove(temporary_.c_str());
                temporary_.clear();
            }
        }
    }
    if (stream_ != nullptr) return true;
    error = path + ": the file could not be written";
    return false;
}

bool OutputFile::commit(std::string& error) {
    const bool flushed = std::ferror(stream_) == 0 && std::fflush(stream_) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    bool written = flushed && closed;
    if (!temporary_.empty()) {
        written = written && std::rename(temporary_.c_str(), path_.c_str()) == 0;
        if (!written) std::remove(temporary_.c_str());
        temporary_.clear();
    }
    if (written) return true;
    error = path_ + ": the file could not be written";
    return false;
}

}  // namespace morbilex::batch
