// The claim on an output, flock() replaced by stand-ins failing as file
// systems without locks and a lock held elsewhere make it fail.
#include "batch/output_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/test_support.h"

namespace morbilex::batch {
namespace {

template <int ERROR_NUMBER>
int failing_lock(int, int) {
    errno = ERROR_NUMBER;
    return -1;
}

TEST(OutputLock, OnlyALockHeldElsewhereRefusesTheOutput) {
    testing::TemporaryFolder folder;
    const std::string path = folder.file("rows.csv");
    for (const OutputLock::LockCall call :
         {failing_lock<ENOLCK>, failing_lock<ENOSYS>, failing_lock<EWOULDBLOCK>}) {
        OutputLock lock;
        std::string error;
        const bool held = call == failing_lock<EWOULDBLOCK>;
        EXPECT_EQ(lock.take("--output=", path, error, call), !held) << error;
        EXPECT_EQ(error == "--output=" + path + ": another morbilex-batch is writing this file; " +
                               "it is locked by " + path + ".lock",
                  held);
        EXPECT_EQ(lock.warning().find(".lock cannot be locked here (") != std::string::npos, !held);
        EXPECT_FALSE(std::filesystem::exists(path + ".lock") && !held);
    }
}

}  // namespace
}  // namespace morbilex::batch
