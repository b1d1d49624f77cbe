// A scenario is the same as another only with the same bits in every field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "model/records.h"

namespace morbilex::testing {
namespace {

TEST(Records, ScenariosAreTheSameOnlyWithTheSameBitsInEveryField) {
    Scenario a;
    a.model.init_I = std::nan("");
    Scenario b = a;
    EXPECT_TRUE(same_scenario(a, b));  // a NaN matches the same NaN
    b.model.init_R = -0.0;
    EXPECT_FALSE(same_scenario(a, b));
    // Every eight bytes hold a field (n_steps beside its padding): changing
    // any of them makes another scenario.
    static_assert(sizeof(Scenario) % sizeof(double) == 0);
    // A switch (the care layer's) takes only its two values: it is turned.
    for (std::size_t k = 0; k < sizeof(Scenario); k += sizeof(double)) {
        Scenario changed = a;
        unsigned char* bytes = reinterpret_cast<unsigned char*>(&changed);
        const auto care_switch = static_cast<std::size_t>(
            reinterpret_cast<unsigned char*>(&changed.care.enabled) - bytes);
        if (care_switch >= k && care_switch < k + sizeof(double)) {
            changed.care.enabled = !changed.care.enabled;
        } else {
            for (std::size_t i = k; i < k + sizeof(double); ++i)
                bytes[i] ^= 0x5A;
        }
        EXPECT_FALSE(same_scenario(a, changed)) << k;
    }
}

}  // namespace
}  // namespace morbilex::testing
