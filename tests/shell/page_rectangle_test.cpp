#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "shell/printing.h"

namespace morbilex {
namespace {

TEST(PageRectangle, EightPointTwoByElevenPointSixInches) {
    struct Case {
        int dpi_x, dpi_y, right, bottom;
    };
    const Case cases[] = {
        {96, 96, 787, -1113},    {300, 300, 2460, -3480}, {360, 360, 2952, -4176},
        {600, 600, 4920, -6960}, {300, 600, 2460, -6960}, {600, 300, 4920, -3480},
        {97, 97, 795, -1125},    {1, 1, 8, -11},          {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const PageRectangle page = page_rectangle(c.dpi_x, c.dpi_y);
        EXPECT_EQ(page.left, 0);
        EXPECT_EQ(page.top, 0);
        EXPECT_EQ(page.right, c.right) << c.dpi_x;
        EXPECT_EQ(page.bottom, c.bottom) << c.dpi_y;
    }
}

TEST(PageRectangle, ResolutionsBeyondReasonStayInRange) {
    const PageRectangle page = page_rectangle(INT_MAX, INT_MAX);
    EXPECT_EQ(page.right, INT_MAX);
    EXPECT_EQ(page.bottom, INT_MIN);
    EXPECT_EQ(page_rectangle(-96, -96).right, -787);
}

// A job whose step number fail_at fails; it writes down every step taken.
class ScriptedJob : public PageJob {
public:
    explicit ScriptedJob(int fail_at) : fail_at_(fail_at) {}
    bool start_page() override { return step("start page", 1); }
    void draw_page() override { steps += "draw "; }
    bool end_page() override { return step("end page", 2); }
    bool end_document() override { return step("end document", 3); }
    void abort_document() override { steps += "abort"; }
    std::string steps;

private:
    bool step(const char* name, int number) {
        steps += std::string(name) + (number == fail_at_ ? " failed, " : ", ");
        return number != fail_at_;
    }
    int fail_at_;
};

TEST(PrintPageJob, AFailedStepAbortsTheJob) {
    const std::pair<int, const char*> cases[] = {
        {0, "start page, draw end page, end document, "},
        {1, "start page failed, abort"},
        {2, "start page, draw end page failed, abort"},
        {3, "start page, draw end page, end document failed, abort"},
    };
    for (const auto& [fail_at, steps] : cases) {
        ScriptedJob job(fail_at);
        EXPECT_EQ(print_page_job(job), fail_at == 0);
        EXPECT_EQ(job.steps, steps);
    }
}

}  // namespace
}  // namespace morbilex
