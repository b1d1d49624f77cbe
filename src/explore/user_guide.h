// The user's guide: the "User's guide" section of the README, built into the
// program so that it is shown without a network.
#pragma once

#include <string_view>

namespace morbilex {

// Markdown, from its "## User's guide" heading up to the next "## " heading;
// pictures are left out.
std::string_view user_guide_markdown();

}  // namespace morbilex
