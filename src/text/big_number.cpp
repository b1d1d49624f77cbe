#include "text/big_number.h"

namespace morbilex::text_detail {
namespace {

constexpr std::array<Wide, POWER_OF_FIVE_COUNT> make_powers_of_five() {
    std::array<Wide, POWER_OF_FIVE_COUNT> table{};
    // 5^e * 2^128, so that even the short powers have all 125 bits above bit 0.
    BigNumber power(1);
    power.shift_left(128);
    for (int e = 0; e < POWER_OF_FIVE_COUNT; ++e) {
        const int from = power_of_five_bits(e) - POWER_OF_FIVE_BITS + 128;
        table[e] = {power.bits_from(from), power.bits_from(from + 64)};
        power.multiply_add(5, 0);
    }
    return table;
}

constexpr std::array<Wide, INVERSE_POWER_OF_FIVE_COUNT> make_inverse_powers_of_five() {
    std::array<Wide, INVERSE_POWER_OF_FIVE_COUNT> table{};
    // floor(2^TOP / 5^e), one division by five after another: a floor of a
    // floor is the floor of the whole quotient.
    constexpr int TOP = 1024;
    BigNumber quotient(1);
    quotient.shift_left(TOP);
    for (int e = 0; e < INVERSE_POWER_OF_FIVE_COUNT; ++e) {
        const int from = TOP - (power_of_five_bits(e) - 1 + POWER_OF_FIVE_BITS);
        Wide entry = {quotient.bits_from(from), quotient.bits_from(from + 64)};
        if (++entry.low == 0) ++entry.high;
        table[e] = entry;
        quotient.divide(5);
    }
    return table;
}

}  // namespace

constexpr std::array<Wide, POWER_OF_FIVE_COUNT> POWERS_OF_FIVE = make_powers_of_five();
constexpr std::array<Wide, INVERSE_POWER_OF_FIVE_COUNT> INVERSE_POWERS_OF_FIVE =
    make_inverse_powers_of_five();

}  // namespace morbilex::text_detail
