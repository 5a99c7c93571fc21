#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "render/noise/noise.h"
#include "render/noise/printed_value.h"
#include "render/prepared_frame.h"

namespace nebulastra {
namespace {

using nebulastra::testing::matchesPrinted;

// Settings with every random amount at zero, unit scales and default-like frame values.
RenderSettings baseSettings() {
    RenderSettings s{};
    s.cloudSizePx = 100.0f;
    s.intensitySizeWeight = 1.0f;
    for (float& scale : s.scale) scale = 1.0f;
    s.edgeSoftness = 0.5f;
    s.billowSize = 2.0f;
    s.billowMap = NoiseShape::Smooth;
    s.billowDetail = 2;
    s.billowSeed = 3;
    s.textureScale = 1.0f;
    return s;
}

CloudEmitter emitterAt(float x, float y, float z) {
    CloudEmitter e{};
    e.position[0] = x;
    e.position[1] = y;
    e.position[2] = z;
    e.color[0] = e.color[1] = e.color[2] = 1.0f;
    e.intensity = 1.0f;
    e.shadowDarkness = 1.0f;
    return e;
}

// A slot no emitter filled: no radius, so no cloud can be drawn from it.
bool slotUnused(const PreparedFrame& f, int k) {
    return f.emitterRadius[k] == 0.0f && f.emitterOpacity[k] == 0.0f;
}

TEST(PrepareFrame, NoEmittersStillGivesFrameValues) {
    RenderSettings s = baseSettings();
    s.cloudSizePx = 50.0f;
    s.timeSeconds = 2.0f;
    s.evolutionSpeed = 0.5f;
    s.worldEvolution = 0.25f;
    s.billowEvolution = 1.0f;
    s.textureEvolution = -1.0f;
    const PreparedFrame f = prepareFrame(s);
    for (float centre : f.boundCenter) EXPECT_EQ(centre, 0.0f);
    EXPECT_EQ(f.boundRadius, 1.1f);
    EXPECT_TRUE(slotUnused(f, 0));
    EXPECT_FLOAT_EQ(f.billowFrequency, 0.04f); // billow size 2 over a 50-pixel cloud
    EXPECT_FLOAT_EQ(f.edgeWidth, 0.105f);      // softness 0.5: 0.05 + 0.5 * 0.11
    EXPECT_EQ(f.billowPhase, 2.25f);           // 2 s at speed 0.5, plus 0.25 + 1
    EXPECT_EQ(f.texturePhase, 0.25f);          // 1 + 0.25 - 1
    EXPECT_FLOAT_EQ(f.textureFrequency, 0.088f);
    EXPECT_EQ(f.billowGain, 1.0f); // the Smooth map is its own reference spread
}

TEST(PrepareFrame, SizesBelowOnePixelAreBounded) {
    RenderSettings s = baseSettings();
    s.cloudSizePx = 0.25f;
    s.emitterCount = 1;
    s.emitters[0] = emitterAt(0, 0, 0);
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.emitterRadius[0], 1.0f);
    EXPECT_EQ(f.billowFrequency, 2.0f); // U = max(0.25, 1) = 1
    s.cloudSizePx = std::numeric_limits<float>::quiet_NaN();
    const PreparedFrame g = prepareFrame(s);
    EXPECT_EQ(g.emitterRadius[0], 1.0f);
    EXPECT_EQ(g.billowFrequency, 2.0f);
}

TEST(PrepareFrame, SingleEmitterIsTheBoundCentre) {
    RenderSettings s = baseSettings();
    s.scale[0] = 1.0f;
    s.scale[1] = 2.0f;
    s.scale[2] = 0.5f;
    s.emitterCount = 1;
    s.emitters[0] = emitterAt(120.0f, -40.0f, 300.0f);
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.boundCenter[0], 120.0f);
    EXPECT_EQ(f.boundCenter[1], -40.0f);
    EXPECT_EQ(f.boundCenter[2], 300.0f);
    EXPECT_EQ(f.emitterRadius[0], 100.0f);
    EXPECT_EQ(f.emitterMaxScale[0], 2.0f);
    EXPECT_FLOAT_EQ(f.boundRadius, 572.0f); // reach 2.6 radii of the largest scale, 10 % margin
    EXPECT_TRUE(slotUnused(f, 1));
}

TEST(PrepareFrame, BoundHoldsEveryCloud) {
    RenderSettings s = baseSettings();
    s.scaleRandom[0] = s.scaleRandom[1] = s.scaleRandom[2] = 0.5f;
    s.emitterCount = 3;
    s.emitters[0] = emitterAt(0.0f, 0.0f, 0.0f);
    s.emitters[1] = emitterAt(300.0f, 0.0f, 0.0f);
    s.emitters[2] = emitterAt(0.0f, 600.0f, -300.0f);
    s.emitters[2].intensity = 0.5f;
    const PreparedFrame f = prepareFrame(s);
    EXPECT_FLOAT_EQ(f.boundCenter[0], 100.0f);
    EXPECT_FLOAT_EQ(f.boundCenter[1], 200.0f);
    EXPECT_FLOAT_EQ(f.boundCenter[2], -100.0f);
    float largest = 0.0f;
    for (int k = 0; k < 3; ++k) {
        const float dx = s.emitters[k].position[0] - f.boundCenter[0];
        const float dy = s.emitters[k].position[1] - f.boundCenter[1];
        const float dz = s.emitters[k].position[2] - f.boundCenter[2];
        const float reach =
            std::sqrt(dx * dx + dy * dy + dz * dz) + 2.6f * f.emitterMaxScale[k] * f.emitterRadius[k];
        EXPECT_LE(reach * 1.1f, f.boundRadius * 1.000001f) << k;
        largest = std::fmax(largest, reach);
    }
    EXPECT_FLOAT_EQ(f.boundRadius, largest * 1.1f);
}

TEST(PrepareFrame, RadiusFollowsIntensityWithFloor) {
    RenderSettings s = baseSettings();
    s.emitterCount = 4;
    const float intensities[4] = {0.0f, 2.0f, 0.1f, std::numeric_limits<float>::quiet_NaN()};
    for (int k = 0; k < 4; ++k) {
        s.emitters[k] = emitterAt(0, 0, 0);
        s.emitters[k].intensity = intensities[k];
    }
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.emitterRadius[0], 0.15f * 100.0f);
    EXPECT_EQ(f.emitterRadius[1], 200.0f);
    EXPECT_EQ(f.emitterRadius[2], 0.15f * 100.0f);
    EXPECT_EQ(f.emitterRadius[3], 0.15f * 100.0f);
}

TEST(PrepareFrame, NoRandomnessGivesTheSetScalesAnglesAndOpacity) {
    RenderSettings s = baseSettings();
    s.randomSeed = 1234;
    s.scale[0] = 1.5f;
    s.scale[1] = 0.02f; // below the 0.05 floor
    s.scale[2] = 0.8f;
    s.emitterCount = 2;
    s.emitters[0] = emitterAt(0, 0, 0);
    s.emitters[0].shadowDarkness = 0.6f;
    s.emitters[1] = emitterAt(10, 0, 0);
    s.emitters[1].shadowDarkness = 0.25f;
    PreparedFrame f = prepareFrame(s);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(f.emitterInvScale[0][k], 1.0f / 1.5f);
        EXPECT_EQ(f.emitterInvScale[1][k], 1.0f / 0.05f);
        EXPECT_EQ(f.emitterInvScale[2][k], 1.0f / 0.8f);
        EXPECT_EQ(f.emitterMaxScale[k], 1.5f);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(f.emitterRotation[r][k][c], r == c ? 1.0f : 0.0f) << r << c;
            }
        }
    }
    EXPECT_EQ(f.emitterOpacity[0], 0.6f);
    EXPECT_EQ(f.emitterOpacity[1], 0.25f);

    // Set angles: the rows are the transpose of Rz(c) Ry(b) Rx(a), built here in double.
    const double a = 0.3, b = -1.1, c = 2.2;
    s.rotation[0] = static_cast<float>(a);
    s.rotation[1] = static_cast<float>(b);
    s.rotation[2] = static_cast<float>(c);
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

TEST(PrepareFrame, ColourIsDecodedFromSrgb) {
    RenderSettings s = baseSettings();
    s.emitterCount = 2;
    s.emitters[0] = emitterAt(0, 0, 0);
    s.emitters[0].color[0] = 0.04045f; // last value on the linear segment
    s.emitters[0].color[1] = 0.5f;
    s.emitters[0].color[2] = 1.0f;
    s.emitters[1] = emitterAt(0, 0, 0);
    s.emitters[1].color[0] = std::nextafter(0.04045f, 1.0f);
    s.emitters[1].color[1] = 0.0f;
    s.emitters[1].color[2] = 2.0f; // unclamped host colours pass through the curve
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.emitterLinearColor[0][0], 0.04045f * 0.07739938f);
    EXPECT_NEAR(f.emitterLinearColor[0][0], 0.0031308, 1e-7);
    EXPECT_NEAR(f.emitterLinearColor[1][0], 0.2140411, 2e-7);
    EXPECT_NEAR(f.emitterLinearColor[2][0], 1.0f, 1e-6f);
    // Just above the threshold the power curve takes over, continuous with the linear part.
    EXPECT_NE(f.emitterLinearColor[0][1], std::nextafter(0.04045f, 1.0f) * 0.07739938f);
    EXPECT_NEAR(f.emitterLinearColor[0][1], 0.0031308, 1e-6);
    EXPECT_EQ(f.emitterLinearColor[1][1], 0.0f);
    EXPECT_NEAR(f.emitterLinearColor[2][1], std::pow((2.0 + 0.055) / 1.055, 2.4), 1e-5);
}

TEST(PrepareFrame, ReferenceDrawsForSeedZeroEmitterZero) {
    // Channels 0-2 of randomBits scale x, y, z; 3-5 turn the angles; 6 thins the opacity.
    RenderSettings s = baseSettings();
    s.randomSeed = 0;
    s.scaleRandom[0] = s.scaleRandom[1] = s.scaleRandom[2] = 1.0f;
    s.opacityRandom = 1.0f;
    s.emitterCount = 1;
    s.emitters[0] = emitterAt(0, 0, 0);
    const PreparedFrame f = prepareFrame(s);
    // Scale = 1 + signed draw; the sum is rounded at 1.x, so allow one unit there.
    const float ulpAtOne = std::numeric_limits<float>::epsilon();
    EXPECT_NEAR(1.0f / f.emitterInvScale[0][0], 1.0f + 0.1866351f, 2 * ulpAtOne);
    EXPECT_NEAR(1.0f / f.emitterInvScale[1][0], 1.0f - 0.1560084f, 2 * ulpAtOne);
    EXPECT_NEAR(1.0f / f.emitterInvScale[2][0], 1.0f + 0.2478131f, 2 * ulpAtOne);
    EXPECT_NEAR(f.emitterMaxScale[0], 1.0f + 0.2478131f, ulpAtOne);
    // 1 - opacity is the unit draw exactly (the subtraction from 1 is exact here).
    EXPECT_TRUE(matchesPrinted(1.0f - f.emitterOpacity[0], 0.9932551));

    // Each angle alone: the rotation about that axis shows up as sin/cos pairs in the rows.
    const double angles[3] = {-2.471604, 0.9709098, 2.011674};
    for (int axis = 0; axis < 3; ++axis) {
        RenderSettings r = baseSettings();
        r.rotationRandom[axis] = 1.0f;
        r.emitterCount = 1;
        r.emitters[0] = emitterAt(0, 0, 0);
        const PreparedFrame g = prepareFrame(r);
        double angle = 0.0;
        if (axis == 0) angle = std::atan2(g.emitterRotation[1][0][2], g.emitterRotation[1][0][1]);
        if (axis == 1) angle = std::atan2(-g.emitterRotation[0][0][2], g.emitterRotation[0][0][0]);
        if (axis == 2) angle = std::atan2(g.emitterRotation[0][0][1], g.emitterRotation[0][0][0]);
        EXPECT_NEAR(angle, angles[axis], 5e-7) << axis;
    }
}

TEST(PrepareFrame, VariationDependsOnlyOnSeedAndIndex) {
    RenderSettings s = baseSettings();
    s.randomSeed = 42;
    s.scaleRandom[0] = s.scaleRandom[1] = s.scaleRandom[2] = 0.4f;
    s.rotationRandom[0] = s.rotationRandom[1] = s.rotationRandom[2] = 1.0f;
    s.opacityRandom = 0.7f;
    s.emitterCount = 2;
    s.emitters[0] = emitterAt(0, 0, 0);
    s.emitters[1] = emitterAt(50, 0, 0);
    const PreparedFrame two = prepareFrame(s);
    s.emitterCount = 5;
    for (int k = 2; k < 5; ++k) {
        s.emitters[k] = emitterAt(-900.0f * k, 10, 10);
    }
    s.timeSeconds = 7.0f;
    const PreparedFrame five = prepareFrame(s);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(two.emitterMaxScale[k], five.emitterMaxScale[k]);
        EXPECT_EQ(two.emitterOpacity[k], five.emitterOpacity[k]);
        EXPECT_EQ(std::memcmp(two.emitterRotation[2][k], five.emitterRotation[2][k], sizeof(float) * 3), 0);
    }
    // Draws follow the index: emitter 1 differs from emitter 0, and another seed moves both.
    EXPECT_NE(two.emitterOpacity[0], two.emitterOpacity[1]);
    s.randomSeed = 43;
    EXPECT_NE(prepareFrame(s).emitterOpacity[0], five.emitterOpacity[0]);
}

TEST(PrepareFrame, EachBillowMapIsRescaledToTheSmoothSpread) {
    RenderSettings s = baseSettings();
    s.billowDetail = 4;
    s.billowSeed = 0;
    const NoiseStats smooth = measureNoiseStats(NoiseShape::Smooth, 4, 0);
    for (int map : {1, 2, 3}) {
        s.billowMap = static_cast<NoiseShape>(map);
        const PreparedFrame f = prepareFrame(s);
        const NoiseStats own = measureNoiseStats(static_cast<NoiseShape>(map), 4, 0);
        EXPECT_EQ(f.billowMean, own.mean) << map; // recentred on its own mean
        EXPECT_NEAR(own.stddev * f.billowGain, smooth.stddev, 1e-6f) << map;
    }
    s.billowMap = static_cast<NoiseShape>(7); // unknown maps behave as Smooth
    const PreparedFrame f = prepareFrame(s);
    EXPECT_EQ(f.billowMean, smooth.mean);
    EXPECT_EQ(f.billowGain, 1.0f);
}

TEST(PrepareFrame, EmitterCountIsClampedToTheArrays) {
    RenderSettings s = baseSettings();
    for (int k = 0; k < kMaxEmitters; ++k) {
        s.emitters[k] = emitterAt(static_cast<float>(k), 0, 0);
    }
    s.emitterCount = 1000;
    const PreparedFrame many = prepareFrame(s);
    s.emitterCount = kMaxEmitters;
    const PreparedFrame full = prepareFrame(s);
    EXPECT_EQ(std::memcmp(&many, &full, sizeof(PreparedFrame)), 0);
    EXPECT_FLOAT_EQ(full.boundCenter[0], 15.5f);
    s.emitterCount = -3;
    const PreparedFrame none = prepareFrame(s);
    EXPECT_EQ(none.boundRadius, 1.1f);
    EXPECT_TRUE(slotUnused(none, 0));
}

} // namespace
} // namespace nebulastra
