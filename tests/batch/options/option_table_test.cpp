// The option table against the help: an option read but not told is a fault.
#include <gtest/gtest.h>

#include "batch/options/batch_options.h"
#include "batch/options/option_table.h"
#include "batch/options/sweep_options.h"

namespace morbilex::batch {
namespace {

TEST(OptionTable, HelpTellsEveryOptionInItsForm) {
    const std::string help = usage_text() + analysis_usage_text();
    for (const BatchOption& option : batch_option_table()) {
        const std::string form = "\n  --" + std::string(option.name) +
                                 (option.takes == OptionTakes::Nothing ? " " : "=");
        EXPECT_NE(help.find(form), std::string::npos) << form;
    }
}

// A slip of a letter or two is answered with the name meant; a name far from
// every option, or one that is itself an option, gets no guess.
TEST(OptionTable, MisspeltOptionsAreAnsweredWithTheNameMeant) {
    const struct {
        const char* typed;
        const char* meant;  // "" for no guess
    } cases[] = {{"R0", "R_0"},        {"r_0", "R_0"},      {"T-max", "T_max"},
                 {"redct2", "Redct2"}, {"tsrt1", "t_srt1"}, {"Off_treshold", "Off_threshold"},
                 {"ouptut", "output"}, {"hlep", "help"},    {"verison", "version"},
                 {"frobnicate", ""},   {"x", ""},           {"sweep", ""}};
    for (const auto& c : cases) {
        const std::string meant = *c.meant ? " (did you mean --" + std::string(c.meant) + "?)" : "";
        EXPECT_EQ(did_you_mean(c.typed), meant) << c.typed;
    }
    const char* argv[] = {"morbilex-batch", "--R0=3"};
    BatchRequest request;
    std::string error;
    EXPECT_FALSE(parse_options(2, argv, request, error));
    EXPECT_EQ(error, "unknown option --R0 (did you mean --R_0?)");
}

}  // namespace
}  // namespace morbilex::batch
