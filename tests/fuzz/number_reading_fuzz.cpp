// Reading a field's leading number against strtod, which reads what "%lf"
// reads; the program refuses what is not finite.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

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
    return 0;
}
