// Reading a field's leading number against strtod, which reads what "%lf"
// reads; the program refuses what is not finite. And a whole field against
// std::from_chars, which refuses underflow to zero as well.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "text/read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    double ours = 0.0;
    const bool read = morbilex::read_leading_number(text, ours);

    char* end = nullptr;
    errno = 0;
    const double reference = std::strtod(text.c_str(), &end);
    const bool expected = end != text.c_str() && std::isfinite(reference);
    if (read != expected) std::abort();
    if (read && std::memcmp(&ours, &reference, sizeof ours) != 0) std::abort();

    std::string_view field(text);
    if (!field.empty() && field[0] == '+') field.remove_prefix(1);
    double whole = 0.0;
    const auto [stop, status] = std::from_chars(field.data(), field.data() + field.size(), whole);
    const bool whole_expected = !field.empty() && field[0] != '+' && status == std::errc() &&
                                stop == field.data() + field.size() && std::isfinite(whole);
    double ours_whole = 0.0;
    if (morbilex::read_full_number(text, ours_whole) != whole_expected) std::abort();
    if (whole_expected && std::memcmp(&ours_whole, &whole, sizeof whole) != 0) std::abort();
    return 0;
}
