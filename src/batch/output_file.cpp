#include "batch/output_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace morbilex::batch {

OutputFile::~OutputFile() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    std::remove(temporary_.c_str());
}

bool OutputFile::open(const std::string& path, std::string& error) {
    path_ = path;
    const std::filesystem::path target(path);
    temporary_ = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(temporary_.begin(), temporary_.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor >= 0) {
        temporary_ = name.data();
        stream_ = fdopen(descriptor, "wb");
        if (stream_ == nullptr) {
            close(descriptor);
            std::remove(temporary_.c_str());
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
    if (flushed && closed && std::rename(temporary_.c_str(), path_.c_str()) == 0) {
        // mkstemp makes the file for its owner only; an output is as any new file.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(path_.c_str(), 0666 & ~mask);
        return true;
    }
    std::remove(temporary_.c_str());
    error = path_ + ": the file could not be written";
    return false;
}

}  // namespace morbilex::batch
