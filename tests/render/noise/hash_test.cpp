#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

#include "render/noise/noise.h"

namespace nebulastra {
namespace {

TEST(HashMix, ReferenceValues) {
    EXPECT_EQ(hashMix(1u), 1274139792u);
    EXPECT_EQ(hashMix(12345u), 1790830469u);
}

TEST(RandomBits, ReferenceValues) {
    EXPECT_EQ(randomBits(0, 0, 0), 1274139792u);
    EXPECT_EQ(randomBits(0, 1, 0), 796834805u);
    EXPECT_EQ(randomBits(7, 3, 6), 76548138u);
}

TEST(RandomBits, ExtremeArgumentsWrapWithoutTrapping) {
    // These run under UBSan in CI: any signed overflow in the hash would abort the test.
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    for (int32_t seed : extremes)
        for (int32_t index : extremes)
            for (int32_t channel : extremes) (void)randomBits(seed, index, channel);
    // The extreme seeds are distinct streams, not collapsed by saturation.
    EXPECT_NE(randomBits(INT32_MIN, 0, 0), randomBits(INT32_MAX, 0, 0));
}

} // namespace
} // namespace nebulastra
