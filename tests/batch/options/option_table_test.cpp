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

}  // namespace
}  // namespace morbilex::batch
