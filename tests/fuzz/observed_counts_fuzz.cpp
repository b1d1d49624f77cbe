// Reading observed counts: whatever the text, counts read are kept in a
// scenario's rows, written, read back and read again as the very same counts.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "shell/scenario_document.h"
#include "study/observed_counts.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morbilex;
    std::string text(reinterpret_cast<const char*>(data), size);
    // A first line "@NAME" names the count column, as a user does.
    CountReading reading;
    if (text.starts_with('@')) {
        const std::size_t end = text.find('\n');
        reading.column = text.substr(1, end == std::string::npos ? end : end - 1);
        text.erase(0, end == std::string::npos ? text.size() : end + 1);
    }
    ObservedCounts counts;
    std::string reason;
    if (!read_observed_counts(text, reading, counts, reason)) {
        check(!reason.empty());
        return 0;
    }
    static const auto records = std::make_unique<Records>();
    static const auto opened = std::make_unique<Records>();
    records->counts_link.clear();
    if (!keep_counts_rows(records->counts_link, text)) return 0;
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    check(read_scenario_document(write_scenario_document(*records), *opened, mode, error));
    check(opened->counts_link == records->counts_link);
    ObservedCounts kept;
    check(read_observed_counts(counts_rows_text(opened->counts_link), reading, kept, reason));
    check(kept.column == counts.column && kept.points.size() == counts.points.size());
    for (std::size_t i = 0; i < kept.points.size(); ++i) {
        check(kept.points[i].day == counts.points[i].day);
        check(kept.points[i].count == counts.points[i].count);
    }
    return 0;
}
