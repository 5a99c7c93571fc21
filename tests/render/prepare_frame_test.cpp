#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "render/color_space.h"
#include "render/noise/noise.h"
#include "render/prepared_frame.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Every random amount at zero, unit scales, a 100-pixel cloud.
RenderSettings baseSettings() {
    RenderSettings s{};
    s.cloudSizePx = 100.0f, s.intensitySizeWeight = 1.0f, s.edgeSoftness = 0.5f, s.textureScale = 1.0f;
    for (float& scale : s.scale) scale = 1.0f;
    s.billowSize = 2.0f, s.billowDetail = 2, s.billowSeed = 3;
    return s;
}

TEST(PrepareFrame, EachNoiseHasItsOwnEvolutionOnTheSharedClock) {
    RenderSettings s = baseSettings();
    s.timeSeconds = 2.0f, s.evolutionSpeed = 0.5f;
    s.worldEvolution = 0.25f, s.billowEvolution = 1.0f, s.textureEvolution = -1.0f;
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.billowPhase, 2.25f);  // 2 s at speed 0.5, plus 0.25 + 1
    EXPECT_EQ(f.texturePhase, 0.25f); // 1 + 0.25 - 1
}

TEST(PrepareFrame, RadiusFollowsIntensityAndSizesAreFloored) {
    RenderSettings s = baseSettings();
    const float intensities[4] = {0.0f, 2.0f, 0.1f, kNaN};
    for (float intensity : intensities) addEmitter(s, 0, 0, 0, 1, 1, 1, intensity);
    const PreparedFrame f = prepareFrame(s);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(f.emitterRadius[k], k == 1 ? 200.0f : 0.15f * 100.0f) << k; // floor 0.15
    // Below one pixel (or not a number) the cloud size counts as 1.
    for (float size : {0.25f, kNaN}) {
        s.cloudSizePx = size;
        const PreparedFrame g = prepareFrame(s);
        EXPECT_EQ(g.emitterRadius[1], 1.0f);
        EXPECT_EQ(g.billowFrequency, 2.0f);
    }
}

TEST(PrepareFrame, NoRandomnessGivesTheSetScalesAnglesOpacityAndColour) {
    RenderSettings s = baseSettings();
    s.randomSeed = 1234;
    s.scale[0] = 1.5f, s.scale[1] = 0.02f /* below the 0.05 floor */, s.scale[2] = 0.8f;
    addEmitter(s, 0, 0, 0, 0.5f, 0.0f, 2.0f, 1.0f, 0.6f);
    addEmitter(s, 10, 0, 0, 1, 1, 1, 1.0f, 0.25f);
    PreparedFrame f = prepareFrame(s);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(f.emitterInvScale[0][k], 1.0f / 1.5f);
        EXPECT_EQ(f.emitterInvScale[1][k], 1.0f / 0.05f);
        EXPECT_EQ(f.emitterInvScale[2][k], 1.0f / 0.8f);
        EXPECT_EQ(f.emitterMaxScale[k], 1.5f);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(f.emitterRotation[r][k][c], r == c ? 1.0f : 0.0f) << r << c;
    }
    EXPECT_EQ(f.emitterOpacity[0], 0.6f); // the light's shadow darkness
    EXPECT_EQ(f.emitterOpacity[1], 0.25f);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(f.emitterLinearColor[c][0], decodeSrgb(s.emitters[0].color[c])) << c;

    // Set angles: the rows are the transpose of Rz(c) Ry(b) Rx(a), built here in double.
    const double a = 0.3, b = -1.1, c = 2.2;
    s.rotation[0] = float(a), s.rotation[1] = float(b), s.rotation[2] = float(c);
    f = prepareFrame(s);
    using M = std::array<std::array<double, 3>, 3>;
    const auto mul = [](const M& p, const M& q) {
        M out{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k) out[i][j] += p[i][k] * q[k][j];
        return out;
    };
    const M rx = {{{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}}};
    const M ry = {{{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}}};
    const M rz = {{{std::cos(c), -std::sin(c), 0}, {std::sin(c), std::cos(c), 0}, {0, 0, 1}}};
    const M m = mul(rz, mul(ry, rx));
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            EXPECT_NEAR(f.emitterRotation[r][1][col], m[col][r], 1e-6) << r << col;
}

TEST(PrepareFrame, EachBillowMapIsRescaledToTheSmoothSpread) {
    RenderSettings s = baseSettings();
    s.billowDetail = 4;
    s.billowSeed = 0;
    const NoiseStats smooth = measureNoiseStats(NoiseShape::Smooth, 4, 0);
    for (int map : {1, 2, 3}) {
        s.billowMap = static_cast<NoiseShape>(map);
        const PreparedFrame f = prepareFrame(s);
        const NoiseStats own = measureNoiseStats(s.billowMap, 4, 0);
        EXPECT_EQ(f.billowMean, own.mean) << map; // recentred on its own mean
        EXPECT_NEAR(own.stddev * f.billowGain, smooth.stddev, 1e-6f) << map;
    }
    s.billowMap = static_cast<NoiseShape>(7); // unknown maps behave as Smooth, its own reference spread
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.billowMean, smooth.mean);
    EXPECT_EQ(f.billowGain, 1.0f);
}

} // namespace
} // namespace nebulastra
