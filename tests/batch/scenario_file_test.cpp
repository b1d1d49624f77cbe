// What a --scenarios file costs in memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace morbilex {
namespace {

// The largest resident size in kB of `morbilex-batch --scenarios=PATH --count`
// (the program's own, waited for by itself), or -1 when it failed.
long peak_of_count(const std::string& path) {
    const std::string option = "--scenarios=" + path;
    const pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_WRONLY), 1);
        execl(MORBILEX_BATCH_PROGRAM, MORBILEX_BATCH_PROGRAM, option.c_str(), "--count", nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// A million numeric cells cost a few doubles each, not strings and vectors of them.
TEST(ScenarioFile, ACellCostsAFewDoubles) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator keeps more than the program asks for";
#endif
    testing::TemporaryFolder folder;
    const std::string header =
        "R_0,latent_period,infectious_period,init_E,init_I,Redct1,t_srt1,t_stp1,xmin,ymax\n";
    const long rows = 100000;
    std::string big = header;
    for (long row = 0; row < rows; ++row) {
        const std::string k = std::to_string(row % 997);
        big += "2." + k + ",4.6,3.1,1" + k + ",0.5,0.8,1" + k + ",30,-" + k + ",1e4\n";
    }
    for (const auto& [name, text] :
         {std::pair{"big.csv", big}, {"one.csv", header + "2,4,3,1,0,0,1,9,0,1\n"}}) {
        std::FILE* out = std::fopen(folder.file(name).c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    const long one = peak_of_count(folder.file("one.csv"));
    const long all = peak_of_count(folder.file("big.csv"));
    ASSERT_GT(one, 0);
    ASSERT_GT(all, 0);
    EXPECT_LT(all - one, rows * 10 * 3 * 8 / 1024);
}

}  // namespace
}  // namespace morbilex
