#include "shell/scenario_files.h"

#include <gtest/gtest.h>

#include <barrier>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "shell/file_messages.h"
#include "shell/scenario_document.h"
#include "shell/view_switches_test_support.h"
#include "support/test_support.h"

namespace morbilex {
namespace {

namespace fs = std::filesystem;
using testing::default_records;
using testing::read_bytes;
using testing::TestView;

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Two programs saving at the same moment (at the end of a session every one
// gets its signal at once): each save succeeds and the file is always one of
// the two documents, never one with the tail of the other.
TEST(SavedFiles, WritersAtTheSameTimeLeaveOneWholeDocument) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    GTEST_SKIP() << "no threads in this build";
#endif
    testing::TemporaryFolder folder;
    std::unique_ptr<Records> records[2] = {default_records(), default_records()};
    records[1]->model.R_0 = 1.2345678901234567;
    const std::string documents[2] = {write_scenario_document(*records[0]),
                                      write_scenario_document(*records[1])};
    const std::string target = folder.file("shared.morbilex");
    int mixed = 0;
    std::string errors[2];
    std::barrier both(2, [&]() noexcept {
        const std::string text = read_bytes(target);
        mixed += text != documents[0] && text != documents[1];
    });
    auto save = [&](int which) {
        int failures = 0;
        for (int round = 0; round < 50; ++round) {
            for (int save = 0; save < 10; ++save) {
                std::string path = target;
                failures += !save_scenario_file(path, *records[which], errors[which]);
            }
            both.arrive_and_wait();
        }
        return failures;
    };
    int failures[2] = {};
    std::thread beside([&] { failures[1] = save(1); });
    failures[0] = save(0);
    beside.join();
    EXPECT_EQ(failures[0] + failures[1], 0) << errors[0] << "\n" << errors[1];
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"shared.morbilex"});
}

// Saving replaces the file named and nothing else: a file of the user's
// beside it keeps its text, and a symbolic link stays a link whose file
// gets the new text.
TEST(SavedFiles, ReplaceOnlyTheFileNamedAndKeepALinkALink) {
    testing::TemporaryFolder folder;
    auto records = default_records();
    records->model.R_0 = 1.75;
    const std::string document = write_scenario_document(*records);
    std::ofstream(folder.file("x.morbilex.part"), std::ios::binary) << "the user's own\n";
    std::string path = folder.file("x");
    std::string error;
    ASSERT_TRUE(save_scenario_file(path, *records, error)) << error;
    EXPECT_EQ(read_bytes(folder.file("x.morbilex")), document);
    EXPECT_EQ(read_bytes(folder.file("x.morbilex.part")), "the user's own\n");
    EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"x.morbilex", "x.morbilex.part"}));

    fs::create_directory(folder.path() / "kept");
    std::ofstream(folder.file("kept/settings.morbilex"), std::ios::binary) << "R_0 = 3\n";
    std::error_code failure;
    fs::create_symlink(fs::path("kept") / "settings.morbilex", folder.path() / "link.morbilex",
                       failure);
    if (failure) GTEST_SKIP() << "no symbolic links here: " << failure.message();
    path = folder.file("link.morbilex");
    ASSERT_TRUE(save_scenario_file(path, *records, error)) << error;
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(read_bytes(folder.file("kept/settings.morbilex")), document);
    EXPECT_EQ(names_in(folder.path() / "kept"), std::set<std::string>{"settings.morbilex"});
}

// Only a regular file is opened: a folder is refused by its kind, and so is
// a device, which could keep the program waiting or read as an empty scenario.
TEST(OpenedFiles, AreRefusedWhenNotRegularFilesWithTheReason) {
    testing::TemporaryFolder folder;
    auto records = default_records();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    const std::string inside = folder.file("scenario.morbilex");
    fs::create_directory(inside);
    EXPECT_FALSE(load_scenario_file(inside, *records, mode, error));
    EXPECT_EQ(error, file_problem_text(inside, 0) + ": a folder, not a scenario file");
    if (fs::exists("/dev/null")) {
        EXPECT_FALSE(load_scenario_file("/dev/null", *records, mode, error));
        EXPECT_EQ(error,
                  "/dev/null: not a regular file (a pipe, a device or a socket), not a "
                  "scenario file");
    }
}

// Remembered settings the reader refuses (a newer version's, a slip of the
// hand) are not lost: the file is moved aside, an older one kept aside is not
// overwritten, the user is told once, and the next save writes a fresh file.
TEST(RememberedSettings, AFileTheReaderRefusesIsKeptAsideAndToldOnce) {
    testing::TemporaryFolder folder;
    std::string path = settings_file_path(folder.path().string());
    auto saved = default_records();
    saved->model.R_0 = 1.75;
    const std::string refused[2] = {"R_0 = 3\nlatent_period = 2,5\n", "R_0 = 3\nnewer = 1\n"};
    for (int time = 0; time < 2; ++time) {
        const std::string aside = path + (time == 0 ? ".bad" : ".bad.2");
        std::ofstream(path, std::ios::binary) << refused[time];
        auto records = default_records();
        const std::string before = write_scenario_document(*records, TestView().switches());
        const std::string note = load_remembered_settings(path, *records);
        EXPECT_EQ(write_scenario_document(*records, TestView().switches()), before);
        EXPECT_NE(note.find(file_problem_text(path, 0) + ": line 2"), std::string::npos) << note;
        EXPECT_NE(note.find(" kept as " + aside + " "), std::string::npos) << note;
        EXPECT_EQ(read_bytes(aside), refused[time]);
        EXPECT_FALSE(fs::exists(path));
        ASSERT_TRUE(save_remembered_settings(path, *saved));
        EXPECT_EQ(load_remembered_settings(path, *records), "");
        EXPECT_EQ(records->model.R_0, 1.75);
    }
    EXPECT_EQ(read_bytes(path + ".bad"), refused[0]);
}

}  // namespace
}  // namespace morbilex
