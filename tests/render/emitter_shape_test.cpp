// The shape of one emitter's cloud and the texture, on hand-built frames of radius 20: what the
// reference frames cannot tell apart (turned clouds, skipped evaluations, seeds and phases). The
// look of each shape control is pinned by the reference frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

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

// s where the emitter may contribute, 0 where it provably cannot (s would not be above 0 there).
float shapeAt(float x, float y, float z, const CloudField& f) {
    const float p[3] = {x, y, z};
    const EmitterShape shape = emitterShape(p, 0, f, true);
    return shape.mayContribute && shape.s > 0.0f ? shape.s : 0.0f;
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

// The texture is a world-space pattern of the position times its frequency, of its phase and of
// its seed, one pattern per type, within 0..1: twice as far at half the frequency is the same
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
        EXPECT_GT(seedMatters, 30) << "type " << type;
        EXPECT_GT(phaseMatters, 30) << "type " << type;
        EXPECT_GT(typeMatters, 30) << "type " << type;
    }
}

// The frame's bounds of the billow octaves, which let the shape skip the warp and the billows
// where no octave values could leave the cloud anything: every octave, shaped by each billow map,
// at random points with the frame's phase (stepped as the octaves step it), lies within them.
TEST(PreparedFrameBounds, EveryBillowOctaveOfTheFrameLiesWithinItsBound) {
    uint32_t state = 99u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) * (1.0f / 16777216.0f);
    };
    int tight = 0; // frames whose octaves' bounds are narrower than the global range
    for (float phase : {0.0f, 0.3f, 0.5f, 1.7f, -2.25f, 12.9f}) {
        for (NoiseShape shape :
             {NoiseShape::Smooth, NoiseShape::Puffy, NoiseShape::Wispy, NoiseShape::Clumps}) {
            RenderSettings s = plainShapeSettings();
            addEmitter(s, 0, 0, 0);
            s.billowMap = shape;
            s.billowDetail = 4;
            s.timeSeconds = s.worldEvolution = 0.0f;
            s.billowEvolution = phase;
            const CloudField frame = makeCloudField(s);
            ASSERT_EQ(frame.prepared.billowPhase, phase);
            ASSERT_TRUE(frame.prepared.billowBounded);
            const PreparedFrame& field = frame.prepared;
            const NoiseRange global = shapedOctaveRange(shape);
            float amplitude = 0.5f;
            for (int32_t o = 0; o < 4; ++o, amplitude *= 0.5f) {
                const float low = (field.billowRestLow[o] - field.billowRestLow[o + 1]) / amplitude;
                const float high = (field.billowRestHigh[o] - field.billowRestHigh[o + 1]) / amplitude;
                EXPECT_GE(low, global.lowest - 1e-6f);
                EXPECT_LE(high, global.highest + 1e-6f);
                tight += high < global.highest - 0.01f || low > global.lowest + 0.01f;
            }
            for (int i = 0; i < 4000; ++i) {
                float x = next() * 64.0f - 32.0f, y = next() * 64.0f - 32.0f, z = next() * 64.0f - 32.0f;
                float w = phase;
                int32_t seed = static_cast<int32_t>(next() * 1e6f);
                float amplitudeAt = 0.5f;
                for (int32_t o = 0; o < 4; ++o, amplitudeAt *= 0.5f) {
                    const float v = shapeOctave(shape, gradientNoise4(x, y, z, w, seed));
                    const float low = (field.billowRestLow[o] - field.billowRestLow[o + 1]) / amplitudeAt;
                    const float high = (field.billowRestHigh[o] - field.billowRestHigh[o + 1]) / amplitudeAt;
                    ASSERT_GE(v, low - 1e-5f) << "octave " << o << " at phase " << phase;
                    ASSERT_LE(v, high + 1e-5f) << "octave " << o << " at phase " << phase;
                    nextOctave(x, y, z, w, seed);
                }
            }
        }
    }
    EXPECT_GT(tight, 0) << "no frame bounded any octave more tightly than the global range";

    // Worked by hand, at phase 0 with the smooth map: octave 0 has w fraction 0, so it strays by at
    // most 0.7 sqrt(3/4) = 0.6062178; octave 1 has w = 1.7, fraction 0.7, fade 0.83692, spread
    // 0.49 + 0.83692 (1 - 1.4) = 0.155232, so 0.7 sqrt(0.905232) = 0.6660058; at phase 0.5 the
    // w axis adds 1/4 and the bound is the global range.
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0);
    s.billowMap = NoiseShape::Smooth;
    s.billowDetail = 2;
    s.timeSeconds = s.worldEvolution = 0.0f;
    s.billowEvolution = 0.0f;
    PreparedFrame field = makeCloudField(s).prepared;
    ASSERT_EQ(field.billowPhase, 0.0f);
    EXPECT_NEAR((field.billowRestHigh[0] - field.billowRestHigh[1]) / 0.5f, 1.1062178f, 2e-5f);
    EXPECT_NEAR((field.billowRestLow[0] - field.billowRestLow[1]) / 0.5f, -0.1062178f, 2e-5f);
    EXPECT_NEAR(field.billowRestHigh[1] / 0.25f, 1.1660058f, 2e-5f);
    EXPECT_NEAR(field.billowRestLow[1] / 0.25f, -0.1660058f, 2e-5f);
    s.billowEvolution = 0.5f;
    field = makeCloudField(s).prepared;
    EXPECT_FLOAT_EQ((field.billowRestHigh[0] - field.billowRestHigh[1]) / 0.5f, kOctaveMax);
    EXPECT_FLOAT_EQ((field.billowRestLow[0] - field.billowRestLow[1]) / 0.5f, kOctaveMin);
}

} // namespace
} // namespace nebulastra
