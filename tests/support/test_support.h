// Small helpers shared by the unit tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/records.h"

namespace morbilex::testing {

// A fresh set of records with the program's defaults (on the heap: the result
// table is large).
std::unique_ptr<Records> default_records();

// A new empty folder, removed with its contents when the object goes.
// With enter = true it also becomes the current directory until then.
class TemporaryFolder {
public:
    explicit TemporaryFolder(bool enter = false);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
    bool entered_;
};

// The file's bytes as they are on disk.
std::string read_bytes(const std::string& path);
// The file's text with CR LF line ends turned into LF.
std::string read_text(const std::string& path);
// The text split into lines (without their line ends).
std::vector<std::string> split_lines(const std::string& text);

}  // namespace morbilex::testing
