#include "shell/nearest_name.h"

#include <algorithm>
#include <vector>

namespace morbilex {
namespace {

char folded(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c == '-' ? '_' : c;
}

// Optimal string alignment distance over folded letters.
std::size_t edits_between(std::string_view a, std::string_view b) {
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> d((a.size() + 1) * columns);
    const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& {
        return d[i * columns + j];
    };
    for (std::size_t i = 0; i <= a.size(); ++i)
        at(i, 0) = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        at(0, j) = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = folded(a[i - 1]) == folded(b[j - 1]);
            std::size_t best =
                std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (same ? 0 : 1)});
            if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) &&
                folded(a[i - 2]) == folded(b[j - 1])) {
                best = std::min(best, at(i - 2, j - 2) + 1);
            }
            at(i, j) = best;
        }
    }
    return at(a.size(), b.size());
}

std::size_t edits_allowed(std::string_view name) {
    return name.size() <= 4 ? 1 : name.size() <= 8 ? 2 : 3;
}

}  // namespace

std::string_view nearest_name(std::string_view typed, std::span<const std::string_view> known) {
    if (typed.empty() || typed.size() > 64) return {};
    std::string_view best;
    std::size_t best_edits = 0;
    for (std::string_view name : known) {
        if (name == typed) return {};
        const std::size_t edits = edits_between(typed, name);
        if (edits > std::min(edits_allowed(typed), edits_allowed(name))) continue;
        if (best.empty() || edits < best_edits) {
            best = name;
            best_edits = edits;
        }
    }
    return best;
}

}  // namespace morbilex
