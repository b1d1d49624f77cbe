#include "support/test_support.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace morbilex::testing {

std::unique_ptr<Records> default_records() {
    return std::make_unique<Records>();
}

TemporaryFolder::TemporaryFolder(bool enter) : entered_(enter) {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("morbilex-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
    if (entered_) {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    if (entered_) std::filesystem::current_path(previous_, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string read_bytes(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

std::string read_text(const std::string& path) {
    std::string bytes = read_bytes(path);
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace morbilex::testing
