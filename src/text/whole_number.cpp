#include "text/whole_number.h"

#include <charconv>

namespace morbilex {

WholeNumberReading read_whole_number(std::string_view text, long long& value, long long least,
                                     long long most) {
    long long read = 0;
    const std::size_t length = read_leading_whole_number(text, read);
    if (length == 0 || length != text.size()) return WholeNumberReading::NotWhole;
    value = read;
    if (read < least) return WholeNumberReading::Below;
    if (read > most) return WholeNumberReading::Above;
    return WholeNumberReading::Read;
}

std::size_t read_leading_whole_number(std::string_view text, long long& value) {
    // Integers only: from_chars reads them alike on every library the program
    // is built with, and never looks at the locale.
    long long read = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (status != std::errc()) return 0;
    value = read;
    return static_cast<std::size_t>(end - text.data());
}

OneOfReading read_one_of(std::string_view text, long long& index, long long& count) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos ||
        read_whole_number(text.substr(0, slash), index) != WholeNumberReading::Read ||
        read_whole_number(text.substr(slash + 1), count) != WholeNumberReading::Read) {
        return OneOfReading::NotTwoWholes;
    }
    if (count < 1) return OneOfReading::CountBelowOne;
    if (index < 1 || index > count) return OneOfReading::OutsideCount;
    return OneOfReading::Read;
}

}  // namespace morbilex
