// The shape of one emitter's cloud, control by control, and the densities built from the shapes
// (detail, texture, per-emitter shares), on hand-built frames: radius 20 unless a test says otherwise.
// (Opacity and size thinning of the density are pinned by the reference frames.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "render/cloud_look.h"
#include "render/density_field.h"
#include "render/emitter_shape.h"
#include "render/noise/noise.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::handFrame;
using testing::plainShapeSettings;

constexpr float kRadius = 20.0f;

EmitterShape shapeOf(float x, float y, float z, const CloudField& f, int32_t k = 0, bool erode = true) {
    const float p[3] = {x, y, z};
    return emitterShape(p, k, f, erode);
}

// s where the emitter may contribute, 0 where it provably cannot (s would not be above 0 there).
float shapeAt(float x, float y, float z, const CloudField& f, int32_t k = 0, bool erode = true) {
    const EmitterShape shape = shapeOf(x, y, z, f, k, erode);
    return shape.mayContribute && shape.s > 0.0f ? shape.s : 0.0f;
}

TEST(EmitterShape, NothingBeyondTheReachEvenWhereBillowsWouldReach) {
    RenderSettings s = plainShapeSettings();
    s.billow = 40.0f; // billows this strong push the surface far past 2.6 radii
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    f.prepared.emitterMaxScale[0] = 1.5f; // the reach grows with the largest scale: 2.6 * 20 * 1.5 = 78
    int insideWithCloud = 0;
    for (int i = 0; i < 64; ++i) { // directions spread over the sphere
        const double z = 1.0 - 2.0 * (i + 0.5) / 64, r = std::sqrt(1.0 - z * z), phi = i * 2.399963229728653;
        const float d[3] = {static_cast<float>(r * std::cos(phi)), static_cast<float>(r * std::sin(phi)),
                            static_cast<float>(z)};
        EXPECT_FALSE(shapeOf(d[0] * 78.2f, d[1] * 78.2f, d[2] * 78.2f, f).mayContribute);
        if (shapeAt(d[0] * 77.8f, d[1] * 77.8f, d[2] * 77.8f, f) > 0.0f) ++insideWithCloud;
    }
    EXPECT_GT(insideWithCloud, 0) << "the billows should reach the cut-off for this test to mean anything";
}

TEST(EmitterShape, PlainEllipsoidScaledAndRotated) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 5, -3, 2);
    CloudField f = handFrame(s, kRadius);
    EXPECT_EQ(shapeAt(5, -3, 2, f), 1.0f); // 1 at the centre, 1 - distance / R around it
    EXPECT_NEAR(shapeAt(5 + 8, -3, 2, f), 0.6f, 1e-6f);
    EXPECT_NEAR(shapeAt(5, -3 + 6, 2 - 8, f), 0.5f, 1e-6f);
    EXPECT_EQ(shapeAt(5 - 30, -3, 2, f), 0.0f); // outside: s = -0.5

    // Scales 2, 1, 4 on the local axes: the surface (s = 0) passes through 2R, R and 4R.
    f.prepared.emitterInvScale[0][0] = 0.5f;
    f.prepared.emitterInvScale[2][0] = 0.25f;
    f.prepared.emitterMaxScale[0] = 4.0f;
    const float probes[][4] = {
        {40, 0, 0, 0}, {0, 20, 0, 0}, {0, 0, -80, 0}, {36, 0, 0, 0.1f}, {0, 0, 72, 0.1f}};
    for (const auto& p : probes) EXPECT_NEAR(shapeAt(5 + p[0], -3 + p[1], 2 + p[2], f), p[3], 1e-6f);

    // The rows take world offsets to local axes (the reference frames pin turned clouds). Up and
    // down are local too: with "Flatten Base" 100 %, local y along world +x makes the point 0.8 R
    // along +x the flattened underside and the point along -x the untouched top.
    s = plainShapeSettings();
    addEmitter(s, 0, 0, 0);
    s.flattenBase = 1.0f;
    f = handFrame(s, kRadius);
    const float quarter[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) f.prepared.emitterRotation[r][0][c] = quarter[r][c];
    EXPECT_EQ(shapeAt(16, 0, 0, f), 0.0f);
    EXPECT_NEAR(shapeAt(-16, 0, 0, f), 0.2f, 1e-6f);

    // With billows, a turned cloud is the upright one turned, to the bit: at p it has the value
    // the unturned cloud has at R p (the billow noise tells every local axis and sign apart).
    s.flattenBase = 0.0f;
    s.billow = 0.5f;
    const float turn[3][3] = {{0, -1, 0}, {0, 0, 1}, {-1, 0, 0}};
    CloudField upright = handFrame(s, kRadius), turned = upright;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) turned.prepared.emitterRotation[r][0][c] = turn[r][c];
    int differs = 0;
    for (int i = 0; i < 20; ++i) {
        const float p[3] = {static_cast<float>(i % 5) * 5 - 10, static_cast<float>(i / 5) * 6 - 9,
                            static_cast<float>(i % 3) * 7 - 7};
        const float q[3] = {-p[1], p[2], -p[0]};
        const float atP = shapeAt(p[0], p[1], p[2], turned);
        EXPECT_EQ(atP, shapeAt(q[0], q[1], q[2], upright)) << "point " << i;
        differs += atP != shapeAt(p[0], p[1], p[2], upright);
    }
    EXPECT_GT(differs, 10); // the turn is visible at all
}

TEST(EmitterShape, TowerStretchesOnlyTheUpperHalf) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    // Tower 0: a sphere. Tower 100 %: the top (-y) reaches 2.2 R, the bottom stays at R.
    EXPECT_EQ(shapeAt(0, -30, 0, f), 0.0f); // s = -0.5
    f.settings.tower = 1.0f;
    EXPECT_NEAR(shapeAt(0, -30, 0, f), 1.0f - 1.5f / 2.2f, 1e-6f);
    EXPECT_GT(shapeAt(0, -43.8f, 0, f), 0.0f);
    EXPECT_EQ(shapeAt(0, -44.2f, 0, f), 0.0f);
    EXPECT_NEAR(shapeAt(0, 10, 0, f), 0.5f, 1e-6f);
    EXPECT_EQ(shapeAt(0, 20.2f, 0, f), 0.0f);

    // Below the centre "Tower" changes nothing, billows included.
    f.settings.billow = 0.2f;
    for (float x = -8.0f; x < 8.0f; x += 1.0f) {
        f.settings.tower = 0.0f;
        const float below = shapeAt(x, 6, 3, f);
        f.settings.tower = 1.0f;
        EXPECT_EQ(shapeAt(x, 6, 3, f), below) << x;
    }
}

TEST(EmitterShape, FlattenBaseCutsOnlyTheUnderside) {
    RenderSettings s = plainShapeSettings();
    s.billow = 0.3f;
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    const float heights[] = {-0.5f, 0.0f, 0.18f, 0.4f}; // h = y / R
    float unflattened[4];
    for (int i = 0; i < 4; ++i) unflattened[i] = shapeAt(3, heights[i] * kRadius, -2, f);
    f.settings.flattenBase = 1.0f;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(shapeAt(3, heights[i] * kRadius, -2, f), unflattened[i]);
    EXPECT_EQ(shapeAt(3, 0.62f * kRadius, -2, f), 0.0f);
    EXPECT_EQ(shapeAt(3, 0.8f * kRadius, -2, f), 0.0f);
    f.settings.flattenBase = 0.5f; // h = 0.4 is half way through the ramp: s * (1 - 0.5 * 0.5)
    EXPECT_NEAR(shapeAt(3, 0.4f * kRadius, -2, f), unflattened[3] * 0.75f, 1e-5f);
}

TEST(EmitterShape, BillowsPushTheSurfaceInProportionToTheirAmount) {
    // Zero billow leaves the ellipsoid, doubling the amount doubles the departure from it.
    RenderSettings s = plainShapeSettings();
    s.billowMap = NoiseShape::Puffy;
    s.billowSeed = 7;
    addEmitter(s, 100, 0, 0);
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    f.prepared.billowMean = 0.45f;
    f.prepared.billowGain = 1.3f;
    const float base = 1.0f - std::sqrt(0.25f + 0.25f + 1.0f) / kRadius;
    f.settings.billow = 0.0f;
    EXPECT_NEAR(shapeOf(0.5f, -0.5f, 1, f, 1).s, base, 1e-6f);
    f.settings.billow = 0.3f;
    const float single = shapeOf(0.5f, -0.5f, 1, f, 1).s - base;
    f.settings.billow = 0.6f;
    const float twice = shapeOf(0.5f, -0.5f, 1, f, 1).s - base;
    ASSERT_GT(std::fabs(single), 0.01f) << "probe a point with some billow";
    EXPECT_NEAR(twice, 2.0f * single, 1e-5f);
    // Emitter 0 is the same shape one cloud over, but its billows are its own; warp moves lookups.
    EXPECT_NE(shapeOf(100.5f, -0.5f, 1, f, 0).s - base, twice);
    f.settings.domainWarp = 0.5f;
    EXPECT_NE(shapeOf(0.5f, -0.5f, 1, f, 1).s - base, twice);
}

TEST(EmitterShape, ErosionEatsOnlyTheRim) {
    RenderSettings s = plainShapeSettings();
    s.billowSeed = 3;
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    // Without billows s is 1 - distance / R: erosion leaves s >= 0.55 alone.
    const float inner = shapeAt(0, 0, 6, f); // s = 0.7
    const float rim = shapeAt(0, 0, 12, f);  // s = 0.4
    f.settings.edgeErosion = 1.0f;
    EXPECT_EQ(shapeAt(0, 0, 6, f), inner);
    EXPECT_EQ(shapeAt(0, 0, 0, f), 1.0f);
    // At the rim it moves s by at most 0.9 e m, with the noise e in [-0.2, 1.2] and the weight
    // m = 1 - smoothstep(0.4 / 0.55) = 0.2158.
    const float eroded = shapeAt(0, 0, 12, f);
    EXPECT_NE(eroded, rim);
    EXPECT_LE(eroded, rim + 0.9f * 0.2f * 0.2158f + 1e-6f);
    EXPECT_GE(eroded, rim - 0.9f * 1.2f * 0.2158f - 1e-6f);
    EXPECT_EQ(shapeAt(0, 0, 24, f), 0.0f);          // s = -0.2 rises by at most 0.18: still empty
    EXPECT_EQ(shapeAt(0, 0, 12, f, 0, false), rim); // shadow rays skip erosion
}

// Emitter 0's shape value at p with every noise summed to its end: the evaluation the shape's
// skips must agree with. For a cloud without tower, warp or flattening, unrotated and unscaled.
float unskippedShape(const CloudField& f, const float p[3]) {
    const RenderSettings& s = f.settings;
    const PreparedFrame& q = f.prepared;
    const float* centre = s.emitters[0].position;
    const float d[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    const float base = 1.0f - std::sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]) / q.emitterRadius[0];
    const float f0 = q.billowFrequency;
    const float b[3] = {d[0] * f0 + 0.0f, d[1] * f0 + 0.0f, d[2] * f0 + 0.0f}; // emitter 0: no step
    const float billows =
        shapedFbmNoise4(s.billowMap, b[0], b[1], b[2], q.billowPhase, s.billowDetail, s.billowSeed);
    float value = (billows - q.billowMean) * q.billowGain * s.billow * look::kBillowReach + base;
    if (s.edgeErosion > 0.0f) {
        const float t = value * look::kErosionInvReach, u = std::min(t, 1.0f);
        const float m = t >= 0.0f ? 1.0f - (u * u) * (3.0f - 2.0f * u) : 1.0f;
        if (m > 0.0f) {
            const look::Channel& c = look::kErosion;
            const float e = fbmNoise4(
                b[0] * c.scale + c.offset[0], b[1] * c.scale + c.offset[1], b[2] * c.scale + c.offset[2],
                q.billowPhase * c.phaseScale + c.phaseOffset, std::min(s.billowDetail, look::kErosionOctaves),
                s.billowSeed + static_cast<int32_t>(c.seedOffset));
            value = value + e * s.edgeErosion * -look::kErosionDepth * m;
        }
    }
    return value;
}

// The shape stops evaluating an emitter as soon as its bounds prove the value cannot end above 0.
// Held against the evaluation that skips nothing, at random points, for every billow map and
// detail count with the map's own statistics: a skipped point's full value is not above 0, and an
// evaluated one is the full value. Without billows and with one octave (no partial sums to bound)
// the only bound is the erosion's before its noise, which must let through every point that erosion
// noise anywhere in the octave range could lift above 0.
TEST(EmitterShape, SkipsOnlyWhatTheFullEvaluationLeavesEmpty) {
    std::mt19937 rng(2026u);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int skipped = 0, evaluated = 0, heldByErosion = 0;
    for (NoiseShape map : {NoiseShape::Smooth, NoiseShape::Puffy, NoiseShape::Wispy, NoiseShape::Clumps}) {
        for (int32_t detail = 1; detail <= 6; ++detail) {
            RenderSettings s = plainShapeSettings();
            s.billowMap = map;
            s.billowDetail = detail;
            s.billowSeed = detail * 7 - 3;
            addEmitter(s, 0, 0, 0);
            CloudField f = handFrame(s, kRadius);
            const NoiseStats smooth = measureNoiseStats(NoiseShape::Smooth, detail, s.billowSeed);
            const NoiseStats own = measureNoiseStats(map, detail, s.billowSeed);
            f.prepared.billowMean = own.mean;
            f.prepared.billowGain = smooth.stddev / own.stddev;
            for (int i = 0; i < 50; ++i) {
                const float p[3] = {(unit(rng) * 2.0f - 1.0f) * 1.6f * kRadius,
                                    (unit(rng) * 2.0f - 1.0f) * 1.6f * kRadius,
                                    (unit(rng) * 2.0f - 1.0f) * 1.6f * kRadius};
                f.settings.billow = i % 5 == 0 ? 0.0f : unit(rng) * 1.2f;
                f.settings.edgeErosion = i % 3 == 0 ? 0.0f : unit(rng);
                const EmitterShape shape = emitterShape(p, 0, f, true);
                const float full = unskippedShape(f, p);
                if (shape.mayContribute) {
                    ++evaluated;
                    EXPECT_EQ(shape.s, full) << "map " << static_cast<int>(map) << ", detail " << detail;
                } else {
                    ++skipped;
                    EXPECT_LE(full, 0.0f) << "map " << static_cast<int>(map) << ", detail " << detail;
                }
            }
            if (detail != 1) continue;
            f.settings.billow = 0.0f;
            for (int i = 0; i < 40; ++i) { // around the bare ellipsoid's surface
                const float distance = (0.85f + 0.3f * unit(rng)) * kRadius;
                const float z = unit(rng) * 2.0f - 1.0f, phi = unit(rng) * 6.2831853f;
                const float r = std::sqrt(1.0f - z * z);
                const float p[3] = {distance * r * std::cos(phi), distance * r * std::sin(phi), distance * z};
                f.settings.edgeErosion = 0.2f + 0.8f * unit(rng);
                const float liftable =
                    (1.0f - distance / kRadius) + look::kErosionDepth * -kOctaveMin * f.settings.edgeErosion;
                if (!(liftable > 1e-5f)) continue;
                heldByErosion += distance > kRadius;
                EXPECT_TRUE(emitterShape(p, 0, f, true).mayContribute)
                    << "erosion could lift this point above 0";
            }
        }
    }
    EXPECT_GT(skipped, 300);
    EXPECT_GT(evaluated, 100);
    EXPECT_GT(heldByErosion, 10) << "points beyond the ellipsoid that only erosion could reach";
}

TEST(EdgeProfile, SoftnessAndHardness) {
    const auto profile = [](float shape, float edgeWidth, float hardness) {
        CloudField f = makeCloudField(RenderSettings{});
        f.settings.edgeHardness = hardness;
        f.prepared.edgeWidth = edgeWidth;
        return edgeProfile(shape, f);
    };
    EXPECT_EQ(profile(0.05f, 0.1f, 0.5f), 0.5f);  // smoothstep(0.5)
    EXPECT_EQ(profile(0.2f, 0.1f, 0.5f), 1.0f);   // past the edge width
    EXPECT_EQ(profile(0.001f, 0.0f, 0.5f), 1.0f); // no edge width: a hard edge
    // 49 % to 51 % apply no power; 100 %: power 0.4, 0 %: power 2.5, linear in between on each side.
    const float hardness[] = {0.49f, 0.51f, 1.0f, 0.0f, 0.75f, 0.25f};
    const double power[] = {1.0, 1.0, 0.4, 2.5, 0.7, 1.75};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(profile(0.05f, 0.1f, hardness[i]), std::pow(0.5, power[i]), 1e-6) << i;
}

TEST(DensityField, DetailModulatesTheShadowShareWithinItsRange) {
    // Without erosion and texture a cloud share is the shadow share times a detail factor
    // 0.55 + 0.65 n, n one fractal-noise value in [-0.2, 1.2]: between 0.42 and 1.33 of it, and
    // varying from point to point. An emitter out of reach adds nothing.
    RenderSettings s = plainShapeSettings();
    s.billow = 0.5f;
    s.domainWarp = 0.7f;
    s.billowSeed = 42;
    s.billowDetail = 3;
    addEmitter(s, 500, 0, 0);
    addEmitter(s, 0, 0, 0);
    CloudField f = handFrame(s, kRadius);
    float lowest = 2.0f, highest = 0.0f;
    for (int i = 0; i < 40; ++i) {
        const float p[3] = {static_cast<float>(i % 7) * 2.0f - 6.0f, static_cast<float>(i / 7) * 2.5f - 7.0f,
                            1.5f};
        float shares[kMaxEmitters];
        const float total = sampleCloudDensity(p, f, shares);
        const float shadow = sampleShadowDensity(p, f);
        EXPECT_EQ(shares[0], 0.0f);
        EXPECT_EQ(total, shares[1]);
        if (shadow < 1e-4f) continue;
        lowest = std::min(lowest, shares[1] / shadow);
        highest = std::max(highest, shares[1] / shadow);
    }
    EXPECT_GE(lowest, 0.42f - 1e-6f);
    EXPECT_LE(highest, 1.33f + 1e-6f);
    EXPECT_GT(highest - lowest, 0.1f) << "the detail noise should vary";
}

TEST(DensityField, TextureScalesTotalAndSharesAlike) {
    RenderSettings s = plainShapeSettings();
    s.billow = 0.4f;
    s.edgeErosion = 0.6f;
    addEmitter(s, 0, 0, 0);
    addEmitter(s, 12, 4, 0);
    CloudField f = handFrame(s, kRadius);
    for (int type = 1; type <= 3; ++type) {
        f.settings.textureType = static_cast<TextureType>(type);
        std::vector<std::pair<float, float>> factors; // (texture value, density factor)
        for (int i = 0; i < 60; ++i) {
            const float p[3] = {static_cast<float>(i % 10) * 2.0f - 4.0f,
                                static_cast<float>(i / 10) * 2.0f - 5.0f, 2.0f};
            float plainShares[kMaxEmitters], shares[kMaxEmitters];
            f.settings.textureStrength = 0.0f;
            const float plain = sampleCloudDensity(p, f, plainShares);
            f.settings.textureStrength = 1.0f;
            f.settings.textureContrast = 2.0f; // the widest range: the factor lies in [0.3, 1.7]
            for (float& share : shares) share = std::numeric_limits<float>::quiet_NaN();
            const float total = sampleCloudDensity(p, f, shares);
            for (int k = 2; k < kMaxEmitters; ++k)
                EXPECT_TRUE(std::isnan(shares[k])) << "wrote past the emitters";

            const float tau = sampleTexture(p, f);
            EXPECT_GE(tau, 0.0f);
            EXPECT_LE(tau, 1.0f);
            if (plain <= 1e-6f) continue;
            const float m = total / plain;
            EXPECT_GE(m, 0.3f - 1e-6f);
            EXPECT_LE(m, 1.7f + 1e-6f);
            factors.push_back({tau, m});
            EXPECT_NEAR(shares[0] + shares[1], total, 1e-6f * total);
            EXPECT_NEAR(shares[0], plainShares[0] * m, 1e-6f * total);

            f.settings.textureStrength = 0.001f; // at or below 0.1 % the texture is not consulted
            EXPECT_EQ(sampleCloudDensity(p, f, shares), plain);
        }
        EXPECT_GT(factors.size(), 30u) << "texture type " << type;
        // A denser texture never thins the cloud: the factor rises with the texture value.
        std::sort(factors.begin(), factors.end());
        for (std::size_t i = 1; i < factors.size(); ++i)
            EXPECT_LE(factors[i - 1].second, factors[i].second + 1e-5f);
        EXPECT_GT(factors.back().second - factors.front().second, 0.05f);
    }
}

// The texture is a world-space pattern of the position times its frequency, of its phase and of
// its seed, one pattern per type, within 0..1 and, where it mixes noises, reaching across it: twice as far at half the frequency is the same
// point of the pattern, to the bit (both products are the same real number, rounded once).
TEST(DensityField, TextureIsOnePatternOfTheScaledPosition) {
    RenderSettings s = plainShapeSettings();
    s.billowDetail = 3;
    s.textureSeed = 41;
    const CloudField f = handFrame(s, kRadius);
    for (int type = 1; type <= 3; ++type) {
        CloudField at = f, halved = f, reseeded = f, later = f, other = f;
        at.settings.textureType = halved.settings.textureType = reseeded.settings.textureType =
            later.settings.textureType = static_cast<TextureType>(type);
        other.settings.textureType = static_cast<TextureType>(type % 3 + 1);
        halved.prepared.textureFrequency = f.prepared.textureFrequency * 0.5f;
        reseeded.settings.textureSeed = 42;
        later.prepared.texturePhase = f.prepared.texturePhase + 0.5f;
        int seedMatters = 0, phaseMatters = 0, typeMatters = 0;
        for (int i = 0; i < 40; ++i) {
            const float p[3] = {static_cast<float>(i % 8) * 3.1f - 9.0f,
                                static_cast<float>(i / 8) * 2.7f - 5.0f, static_cast<float>(i % 5) * 1.9f};
            const float twice[3] = {p[0] * 2.0f, p[1] * 2.0f, p[2] * 2.0f};
            const float tau = sampleTexture(p, at);
            EXPECT_GE(tau, 0.0f);
            EXPECT_LE(tau, 1.0f);
            EXPECT_EQ(sampleTexture(twice, halved), tau) << "type " << type << ", point " << i;
            seedMatters += sampleTexture(p, reseeded) != tau;
            phaseMatters += sampleTexture(p, later) != tau;
            typeMatters += sampleTexture(p, other) != tau;
        }
        if (at.settings.textureType != TextureType::Erosion) {
            // Wisps and Billows mix two ridged noises with weights summing to 1: where both noises
            // sit near their centre the pattern comes near 1.
            float highest = 0.0f;
            for (int i = 0; i < 10000; ++i) {
                const float q[3] = {static_cast<float>(i % 100) * 1.3f, static_cast<float>(i / 100) * 1.7f,
                                    static_cast<float>(i % 7) * 2.1f};
                highest = std::max(highest, sampleTexture(q, at));
            }
            EXPECT_GT(highest, 0.99f) << "type " << type;
        }
        EXPECT_GT(seedMatters, 30) << "type " << type;
        EXPECT_GT(phaseMatters, 30) << "type " << type;
        EXPECT_GT(typeMatters, 30) << "type " << type;
    }
}

} // namespace
} // namespace nebulastra
