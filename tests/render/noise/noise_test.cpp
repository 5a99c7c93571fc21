// The noise: the hash, the lattice noises and their fractal sums, against printed reference values
// and the properties the density field relies on.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "render/noise/noise.h"
#include "render/noise/printed_value.h"

namespace nebulastra {
namespace {

using nebulastra::testing::matchesPrinted;

TEST(RandomBits, ReferenceValuesAndExtremeArgumentsWrapWithoutTrapping) {
    EXPECT_EQ(hashMix(1u), 1274139792u);
    EXPECT_EQ(hashMix(12345u), 1790830469u);
    EXPECT_EQ(randomBits(0, 0, 0), 1274139792u);
    EXPECT_EQ(randomBits(0, 1, 0), 796834805u);
    EXPECT_EQ(randomBits(7, 3, 6), 76548138u);
    // Under UBSan any signed overflow in the hash aborts the test.
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    for (int32_t seed : extremes)
        for (int32_t index : extremes)
            for (int32_t channel : extremes) (void)randomBits(seed, index, channel);
    // The extreme seeds are distinct streams, not collapsed by saturation.
    EXPECT_NE(randomBits(INT32_MIN, 0, 0), randomBits(INT32_MAX, 0, 0));
}

TEST(GradientNoise, ReferenceValues) {
    EXPECT_EQ(perlinNoise3(0.5f, 0.5f, 0.5f, 0), 0.6875f);
    EXPECT_TRUE(matchesPrinted(perlinNoise3(1.25f, -2.5f, 3.75f, 71), 0.6750422));
    EXPECT_TRUE(matchesPrinted(gradientNoise4(0.5f, 0.5f, 0.5f, 0.5f, 0), 0.5241150));
    EXPECT_TRUE(matchesPrinted(gradientNoise4(1.25f, -2.5f, 3.75f, 0.3f, 200), 0.4385302));
}

// Extreme seeds and coordinates (traps under UBSan) are the render path tests' mixed inputs; the
// gradients each corner picks are pinned by the printed values and the reference frames.
TEST(GradientNoise, LatticePointsGiveExactlyOneHalf) {
    for (int32_t seed : {0, 1, -1, 200, INT32_MIN, INT32_MAX}) {
        for (float x : {-3.0f, -1.0f, 0.0f, 2.0f, 1048576.0f}) {
            EXPECT_EQ(perlinNoise3(x, -2.0f, 5.0f, seed), 0.5f) << x << " " << seed;
            EXPECT_EQ(gradientNoise4(x, 7.0f, -2.0f, 3.0f, seed), 0.5f) << x << " " << seed;
        }
    }
}

TEST(GradientNoise, EveryOctaveStaysInsideTheRangeTheEarlyOutsAssume) {
    // The density field skips noise wherever these bounds prove a cloud empty, so a value outside
    // them would silently change pictures. Cell centres are where |n| can come closest to 1 (all
    // sixteen offsets have length 1 there); the search mixes them with random points.
    std::mt19937 rng(12345u);
    auto next = [&rng] { return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng); };
    float lowest = 1.0f, highest = 0.0f;
    for (int i = 0; i < 200000; ++i) {
        const bool centre = (i & 1) == 0;
        const float base[4] = {std::floor(next() * 64.0f - 32.0f), std::floor(next() * 64.0f - 32.0f),
                               std::floor(next() * 64.0f - 32.0f), std::floor(next() * 8.0f)};
        float c[4];
        for (int a = 0; a < 4; ++a) c[a] = base[a] + (centre ? 0.5f + (next() - 0.5f) * 0.02f : next());
        const float n = gradientNoise4(c[0], c[1], c[2], c[3], static_cast<int32_t>(next() * 1e6f));
        lowest = std::min(lowest, n);
        highest = std::max(highest, n);
    }
    EXPECT_GE(lowest, kOctaveMin);
    EXPECT_LE(highest, kOctaveMax);

    // The shaped maps' ranges are the images of that interval.
    for (NoiseShape shape : {NoiseShape::Smooth, NoiseShape::Puffy, NoiseShape::Wispy, NoiseShape::Clumps}) {
        const NoiseRange range = shapedOctaveRange(shape);
        for (int i = 0; i <= 1400; ++i) {
            const float v = shapeOctave(shape, kOctaveMin + 0.001f * static_cast<float>(i));
            EXPECT_GE(v, range.lowest - 1e-6f);
            EXPECT_LE(v, range.highest + 1e-6f);
        }
    }
}

TEST(FbmNoise4, ReferenceValues) {
    EXPECT_TRUE(matchesPrinted(fbmNoise4(1.25f, -2.5f, 3.75f, 0.3f, 4, 0), 0.5311338));
    const double shaped[] = {0.07070260, 0.8670387, 0.1517212}; // Puffy, Wispy, Clumps
    for (int shape = 1; shape <= 3; ++shape) {
        const float v = shapedFbmNoise4(static_cast<NoiseShape>(shape), 1.25f, -2.5f, 3.75f, 0.3f, 4, 0);
        EXPECT_TRUE(matchesPrinted(v, shaped[shape - 1])) << shape;
    }
}

TEST(MeasureNoiseStats, ReferenceValues) {
    struct Expected {
        NoiseShape shape;
        double mean, stddev;
    };
    const Expected expected[] = {
        {NoiseShape::Smooth, 0.4936003, 0.06812906},
        {NoiseShape::Puffy, 0.1885775, 0.07986544},
        {NoiseShape::Wispy, 0.6761728, 0.1237551},
        {NoiseShape::Clumps, 0.1399453, 0.05260833},
    };
    for (const Expected& e : expected) {
        const NoiseStats stats = measureNoiseStats(e.shape, 4, 0);
        EXPECT_TRUE(matchesPrinted(stats.mean, e.mean)) << static_cast<int>(e.shape);
        EXPECT_TRUE(matchesPrinted(stats.stddev, e.stddev)) << static_cast<int>(e.shape);
    }
    EXPECT_NE(measureNoiseStats(NoiseShape::Wispy, 3, 12).mean,
              measureNoiseStats(NoiseShape::Wispy, 3, 13).mean);
}

} // namespace
} // namespace nebulastra
