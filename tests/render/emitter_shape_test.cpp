// The shape of one emitter's cloud, control by control, on hand-built frames: emitter 0 at the
// origin with radius 20 unless a test says otherwise.

#include <gtest/gtest.h>

#include <cmath>

#include "render/emitter_shape.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::handPreparedFrame;
using testing::plainShapeSettings;

constexpr float kRadius = 20.0f;

// The shape value where it matters: s where the emitter may contribute, and 0 where it provably
// cannot (s would not be above 0 there, and the shape stops early without computing it).
float shapeAt(float x, float y, float z, const RenderSettings& s, const PreparedFrame& f, int32_t k = 0,
              bool erode = true) {
    const float p[3] = {x, y, z};
    const EmitterShape shape = emitterShape(p, k, makeCloudField(s, f), erode);
    return shape.mayContribute && shape.s > 0.0f ? shape.s : 0.0f;
}

EmitterShape shapeOf(const float p[3], int32_t k, const RenderSettings& s, const PreparedFrame& f,
                     bool erode = true) {
    return emitterShape(p, k, makeCloudField(s, f), erode);
}

float edgeProfile(float shape, float edgeWidth, float hardness) {
    RenderSettings s{};
    s.edgeHardness = hardness;
    PreparedFrame f{};
    f.edgeWidth = edgeWidth;
    return nebulastra::edgeProfile(shape, makeCloudField(s, f));
}

// Directions spread over the sphere, for probing at a fixed distance.
void directionOnSphere(int i, int n, float out[3]) {
    const double z = 1.0 - 2.0 * (i + 0.5) / n;
    const double r = std::sqrt(1.0 - z * z);
    const double phi = i * 2.399963229728653;
    out[0] = static_cast<float>(r * std::cos(phi));
    out[1] = static_cast<float>(r * std::sin(phi));
    out[2] = static_cast<float>(z);
}

TEST(EmitterShape, NothingBeyondTheReachEvenWhereBillowsWouldReach) {
    RenderSettings s = plainShapeSettings();
    s.billow = 40.0f; // billows this strong push the surface far past 2.6 radii
    addEmitter(s, 0, 0, 0);
    PreparedFrame f = handPreparedFrame(s, kRadius);
    f.emitterMaxScale[0] = 1.5f; // the reach grows with the largest scale: 2.6 * 20 * 1.5 = 78
    int insideWithCloud = 0;
    for (int i = 0; i < 64; ++i) {
        float dir[3];
        directionOnSphere(i, 64, dir);
        const float beyond[3] = {dir[0] * 78.2f, dir[1] * 78.2f, dir[2] * 78.2f};
        const EmitterShape out = shapeOf(beyond, 0, s, f);
        EXPECT_FALSE(out.mayContribute);
        const float within[3] = {dir[0] * 77.8f, dir[1] * 77.8f, dir[2] * 77.8f};
        const EmitterShape in = shapeOf(within, 0, s, f);
        if (in.mayContribute && in.s > 0.0f) ++insideWithCloud;
    }
    EXPECT_GT(insideWithCloud, 0) << "the billows should reach the cut-off for this test to mean anything";
}

TEST(EmitterShape, PlainEllipsoidWithoutBillows) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 5, -3, 2);
    PreparedFrame f = handPreparedFrame(s, kRadius);
    EXPECT_EQ(shapeAt(5, -3, 2, s, f), 1.0f); // 1 at the centre
    EXPECT_NEAR(shapeAt(5 + 8, -3, 2, s, f), 0.6f, 1e-6f);
    EXPECT_NEAR(shapeAt(5, -3 + 6, 2 - 8, s, f), 0.5f, 1e-6f);
    EXPECT_EQ(shapeAt(5 - 30, -3, 2, s, f), 0.0f); // outside: s = -0.5

    // Scales 2, 1, 4 on the local axes: the surface (s = 0) passes through 2R, R and 4R.
    f.emitterInvScale[0][0] = 0.5f;
    f.emitterInvScale[2][0] = 0.25f;
    f.emitterMaxScale[0] = 4.0f;
    EXPECT_EQ(shapeAt(5 + 40, -3, 2, s, f), 0.0f);
    EXPECT_EQ(shapeAt(5, -3 + 20, 2, s, f), 0.0f);
    EXPECT_EQ(shapeAt(5, -3, 2 - 80, s, f), 0.0f);
    EXPECT_NEAR(shapeAt(5 + 36, -3, 2, s, f), 0.1f, 1e-6f);
    EXPECT_NEAR(shapeAt(5, -3, 2 + 72, s, f), 0.1f, 1e-6f);
}

TEST(EmitterShape, RotationRowsTakeWorldOffsetsToLocalAxes) {
    // Local axes turned 30 degrees about z, local x stretched twice: the world offset along row 0
    // is the local x axis, along row 1 the local y axis.
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0);
    PreparedFrame f = handPreparedFrame(s, kRadius);
    const float c = std::cos(0.5235988f), n = std::sin(0.5235988f);
    const float rows[3][3] = {{c, n, 0}, {-n, c, 0}, {0, 0, 1}};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) f.emitterRotation[r][0][col] = rows[r][col];
    f.emitterInvScale[0][0] = 0.5f;
    f.emitterMaxScale[0] = 2.0f;
    EXPECT_NEAR(shapeAt(40 * c, 40 * n, 0, s, f), 0.0f, 1e-6f);
    EXPECT_NEAR(shapeAt(30 * c, 30 * n, 0, s, f), 0.25f, 1e-6f);
    EXPECT_NEAR(shapeAt(-20 * n, 20 * c, 0, s, f), 0.0f, 1e-6f);
    EXPECT_NEAR(shapeAt(10 * n, -10 * c, 0, s, f), 0.5f, 1e-6f);

    // Up and down are local too: with "Flatten Base" 100 %, local y along world +x makes the
    // point 0.8 R along +x the flattened underside and the point along -x the untouched top.
    s.flattenBase = 1.0f;
    f = handPreparedFrame(s, kRadius);
    const float quarter[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) f.emitterRotation[r][0][col] = quarter[r][col];
    EXPECT_EQ(shapeAt(16, 0, 0, s, f), 0.0f);
    EXPECT_NEAR(shapeAt(-16, 0, 0, s, f), 0.2f, 1e-6f);
}

TEST(EmitterShape, TowerStretchesTheUpperHalfAndGrowsItsBillows) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);

    // Tower 0: a sphere. Tower 100 %: the top (-y) reaches 2.2 R, the bottom stays at R.
    EXPECT_EQ(shapeAt(0, -30, 0, s, f), 0.0f); // s = -0.5
    s.tower = 1.0f;
    EXPECT_NEAR(shapeAt(0, -30, 0, s, f), 1.0f - 1.5f / 2.2f, 1e-6f);
    EXPECT_GT(shapeAt(0, -43.8f, 0, s, f), 0.0f);
    EXPECT_EQ(shapeAt(0, -44.2f, 0, s, f), 0.0f);
    EXPECT_NEAR(shapeAt(0, 10, 0, s, f), 0.5f, 1e-6f);
    EXPECT_EQ(shapeAt(0, 20.2f, 0, s, f), 0.0f);

    // Billows: below the centre "Tower" changes nothing; half a radius above it the billow term
    // is 1 + 0.8 * tower * 0.5 times as large (the noise is looked up at the same local point).
    s.billow = 0.2f;
    int compared = 0;
    for (int i = 0; i < 16; ++i) {
        const float x = -8.0f + static_cast<float>(i);
        s.tower = 0.0f;
        const float below0 = shapeAt(x, 6, 3, s, f);
        const float above0 = shapeAt(x, -10, 3, s, f);
        const float base0 = 1.0f - std::sqrt(x * x + 100.0f + 9.0f) / kRadius;
        for (float tower : {0.5f, 1.0f}) {
            s.tower = tower;
            EXPECT_EQ(shapeAt(x, 6, 3, s, f), below0);
            const float stretched = -10.0f / (1.0f + 1.2f * tower);
            const float base = 1.0f - std::sqrt(x * x + stretched * stretched + 9.0f) / kRadius;
            const float billow0 = above0 - base0;
            if (std::fabs(billow0) < 0.01f) continue; // too little billow to compare ratios
            const float ratio = (shapeAt(x, -10, 3, s, f) - base) / billow0;
            EXPECT_NEAR(ratio, 1.0f + 0.8f * tower * 0.5f, 2e-4f);
            ++compared;
        }
    }
    EXPECT_GT(compared, 8);
}

TEST(EmitterShape, FlattenBaseCutsOnlyTheUnderside) {
    RenderSettings s = plainShapeSettings();
    s.billow = 0.3f;
    addEmitter(s, 0, 0, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);
    const float heights[] = {-0.5f, 0.0f, 0.18f, 0.4f, 0.62f, 0.8f}; // h = y / R
    float unflattened[6];
    for (int i = 0; i < 6; ++i) unflattened[i] = shapeAt(3, heights[i] * kRadius, -2, s, f);

    s.flattenBase = 1.0f;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(shapeAt(3, heights[i] * kRadius, -2, s, f), unflattened[i]);
    EXPECT_EQ(shapeAt(3, 0.62f * kRadius, -2, s, f), 0.0f);
    EXPECT_EQ(shapeAt(3, 0.8f * kRadius, -2, s, f), 0.0f);

    s.flattenBase = 0.5f; // h = 0.4 is half way through the ramp: s * (1 - 0.5 * 0.5)
    EXPECT_NEAR(shapeAt(3, 0.4f * kRadius, -2, s, f), unflattened[3] * 0.75f, 1e-5f);
}

TEST(EmitterShape, BillowsPushTheSurfaceInProportionToTheirAmount) {
    // The billow term is added to the plain ellipsoid: zero billow leaves the ellipsoid, and
    // doubling the amount doubles the departure from it. Domain warp moves the lookups.
    RenderSettings s = plainShapeSettings();
    s.billowMap = NoiseShape::Puffy;
    s.billowSeed = 7;
    addEmitter(s, 100, 0, 0);
    addEmitter(s, 0, 0, 0);
    PreparedFrame f = handPreparedFrame(s, kRadius);
    f.billowMean = 0.45f;
    f.billowGain = 1.3f;
    const float p[3] = {0.5f, -0.5f, 1.0f};
    const float base = 1.0f - std::sqrt(0.25f + 0.25f + 1.0f) / kRadius;
    s.billow = 0.0f;
    EXPECT_NEAR(shapeOf(p, 1, s, f).s, base, 1e-6f);
    s.billow = 0.3f;
    const float single = shapeOf(p, 1, s, f).s - base;
    s.billow = 0.6f;
    const float twice = shapeOf(p, 1, s, f).s - base;
    ASSERT_GT(std::fabs(single), 0.01f) << "probe a point with some billow";
    EXPECT_NEAR(twice, 2.0f * single, 1e-5f);
    // Emitter 0 is the same shape one cloud over, but its billows are its own.
    const float q[3] = {100.5f, -0.5f, 1.0f};
    EXPECT_NE(shapeOf(q, 0, s, f).s - base, twice);

    s.domainWarp = 0.5f;
    EXPECT_NE(shapeOf(p, 1, s, f).s - base, twice);
}

TEST(EmitterShape, ErosionEatsOnlyTheRim) {
    RenderSettings s = plainShapeSettings();
    s.billowSeed = 3;
    addEmitter(s, 0, 0, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);
    // Without billows s is 1 - distance / R: erosion leaves s >= 0.55 alone.
    const float inner = shapeAt(0, 0, 6, s, f); // s = 0.7
    const float rim = shapeAt(0, 0, 12, s, f);  // s = 0.4
    s.edgeErosion = 1.0f;
    EXPECT_EQ(shapeAt(0, 0, 6, s, f), inner);
    EXPECT_EQ(shapeAt(0, 0, 0, s, f), 1.0f);

    // At the rim it moves s by at most 0.9 e m, with the noise e in [-0.2, 1.2] and the weight
    // m = 1 - smoothstep(0.4 / 0.55) = 0.2158.
    const float eroded = shapeAt(0, 0, 12, s, f);
    EXPECT_NE(eroded, rim);
    EXPECT_LE(eroded, rim + 0.9f * 0.2f * 0.2158f + 1e-6f);
    EXPECT_GE(eroded, rim - 0.9f * 1.2f * 0.2158f - 1e-6f);
    // Outside (s = -0.2) erosion could raise s by at most 0.18: the point stays empty.
    EXPECT_EQ(shapeAt(0, 0, 24, s, f), 0.0f);

    // Shadow rays skip erosion.
    EXPECT_EQ(shapeAt(0, 0, 12, s, f, 0, false), rim);
}

TEST(EdgeProfile, SoftnessAndHardness) {
    EXPECT_EQ(edgeProfile(0.05f, 0.1f, 0.5f), 0.5f);  // smoothstep(0.5)
    EXPECT_EQ(edgeProfile(0.2f, 0.1f, 0.5f), 1.0f);   // past the edge width
    EXPECT_EQ(edgeProfile(0.001f, 0.0f, 0.5f), 1.0f); // no edge width: a hard edge
    // 49 % to 51 % apply no power.
    EXPECT_EQ(edgeProfile(0.05f, 0.1f, 0.49f), 0.5f);
    EXPECT_EQ(edgeProfile(0.05f, 0.1f, 0.51f), 0.5f);
    // 100 %: power 0.4, 0 %: power 2.5, linear in between on each side.
    EXPECT_NEAR(edgeProfile(0.05f, 0.1f, 1.0f), 0.7578583f, 1e-6f);
    EXPECT_NEAR(edgeProfile(0.05f, 0.1f, 0.0f), 0.1767767f, 1e-6f);
    EXPECT_NEAR(edgeProfile(0.05f, 0.1f, 0.75f), 0.6155722f, 1e-6f);
    EXPECT_NEAR(edgeProfile(0.05f, 0.1f, 0.25f), 0.2973018f, 1e-6f);
}

} // namespace
} // namespace nebulastra
