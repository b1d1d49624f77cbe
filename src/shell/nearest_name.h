// The known name a mistyped one most likely meant, for "did you mean" hints.
#pragma once

#include <span>
#include <string_view>

namespace morbilex {

// The name of known closest to typed by edits of single letters (an insertion,
// a deletion, a change or two neighbours swapped; letters compared without
// case, '_' and '-' alike), when it is close enough to be a slip: at most one
// edit for a name of up to four letters, two up to eight, three beyond.
// Empty when none is, or when typed is itself known. Ties go to the earlier.
std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> known);

}  // namespace morbilex
