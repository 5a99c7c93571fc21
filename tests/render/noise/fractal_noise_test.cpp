#include <climits>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "render/noise/noise.h"
#include "render/noise/printed_value.h"

namespace nebulastra {
namespace {

using nebulastra::testing::matchesPrinted;

TEST(NextOctave, RotatesByALacunarityOf202AndReseedsWithWrap) {
    // The step is a rotation scaled by 2.02: unit axes map to orthogonal vectors of length 2.02,
    // so no octave's lattice lines up with the last one's.
    const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    float out[3][3];
    for (int a = 0; a < 3; ++a) {
        float x = axes[a][0], y = axes[a][1], z = axes[a][2], w = 1.0f;
        int32_t seed = 5;
        nextOctave(x, y, z, w, seed);
        out[a][0] = x, out[a][1] = y, out[a][2] = z;
        EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 2.02f, 1e-6f) << a;
        EXPECT_EQ(seed, 106);
        EXPECT_EQ(w, 2.02f + 1.7f);
        EXPECT_GT(std::fabs(x) + std::fabs(y) + std::fabs(z), 2.03f) << "turned off its axis";
    }
    for (int a = 0; a < 3; ++a) {
        const float* p = out[a];
        const float* q = out[(a + 1) % 3];
        EXPECT_NEAR(p[0] * q[0] + p[1] * q[1] + p[2] * q[2], 0.0f, 1e-5f) << a;
    }
    float x = 0, y = 0, z = 0, w = 0;
    int32_t seed = INT32_MAX;
    nextOctave(x, y, z, w, seed);
    EXPECT_EQ(seed, INT32_MIN + 100);
}

TEST(FbmNoise4, ReferenceValues) {
    EXPECT_TRUE(matchesPrinted(fbmNoise4(1.25f, -2.5f, 3.75f, 0.3f, 4, 0), 0.5311338));
    const double shaped[] = {0.07070260, 0.8670387, 0.1517212}; // Puffy, Wispy, Clumps
    for (int shape = 1; shape <= 3; ++shape) {
        const float v = shapedFbmNoise4(static_cast<NoiseShape>(shape), 1.25f, -2.5f, 3.75f, 0.3f, 4, 0);
        EXPECT_TRUE(matchesPrinted(v, shaped[shape - 1])) << shape;
    }
}

TEST(FbmNoise4, OctaveCountAndShapeLimits) {
    // No octaves is 0 (not the noise's mid value 0.5); one octave is the base noise; Smooth and
    // unknown shapes are the plain sum.
    for (int32_t octaves : {0, -1, INT32_MIN}) {
        EXPECT_EQ(fbmNoise4(1.25f, -2.5f, 3.75f, 0.3f, octaves, 0), 0.0f);
        for (int shape = -1; shape <= 4; ++shape)
            EXPECT_EQ(shapedFbmNoise4(static_cast<NoiseShape>(shape), 1.25f, -2.5f, 3.75f, 0.3f, octaves, 0),
                      0.0f);
    }
    for (float x : {-3.3f, 0.1f, 4.8f}) {
        EXPECT_EQ(fbmNoise4(x, 0.4f, -0.9f, 1.3f, 1, 77), gradientNoise4(x, 0.4f, -0.9f, 1.3f, 77));
        const float plain = fbmNoise4(x, 1.1f, -0.2f, 0.6f, 5, 31);
        for (int shape : {0, -1, 4, 99, INT32_MIN})
            EXPECT_EQ(shapedFbmNoise4(static_cast<NoiseShape>(shape), x, 1.1f, -0.2f, 0.6f, 5, 31), plain)
                << shape;
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
}

TEST(MeasureNoiseStats, SeededAndFlooredSpread) {
    EXPECT_NE(measureNoiseStats(NoiseShape::Wispy, 3, 12).mean,
              measureNoiseStats(NoiseShape::Wispy, 3, 13).mean);
    // With no octaves every sample is 0: no spread at all, so the floor applies.
    const NoiseStats flat = measureNoiseStats(NoiseShape::Smooth, 0, 12);
    EXPECT_EQ(flat.mean, 0.0f);
    EXPECT_EQ(flat.stddev, 0.001f);
    const NoiseStats extreme = measureNoiseStats(NoiseShape::Clumps, 2, INT32_MIN);
    EXPECT_GE(extreme.stddev, 0.001f);
}

} // namespace
} // namespace nebulastra
