// One emitter's cloud shape: a soft ellipsoid in the emitter's rotated, scaled frame, pushed in
// and out by billow noise, eaten at the rim by erosion, stretched upward by "Tower" and cut below
// by "Flatten Base". Space has +y down, so h > 0 is below the emitter's centre.
//
// Skipping what cannot contribute. An emitter adds density only where its final shape value is
// above 0, and most of the noise it would evaluate lies where that is impossible. The final value
// is
//     s = flatten * (base + (b - mean) gain A 2.6 + erosion),
// where b is the shaped billow sum, erosion = e edgeErosion (-0.9) m with m in [0, 1], and flatten
// (1 - flattenBase smoothstep) depends only on the height. Every octave of gradientNoise4 lies in
// [-0.2, 1.2] (noise.h), so a shaped octave lies in shapedOctaveRange and the billow and erosion
// sums, weighted means of octaves, do too; after some octaves the sum is bounded by the partial sum
// plus the remaining weight times the range's end. Hence, before any noise and after every octave,
//     s_before_flatten <= base + max over b of the billow term + 0.18 edgeErosion
// (e >= -0.2 makes the erosion rise by at most 0.18 edgeErosion). With flatten >= 0, a bound that is
// not above 0 means s is not above 0 and the emitter contributes exactly 0, as it would after all
// the noise. With flatten = 0 (or not a number) nothing can contribute at all.
//
// Rounding margin: the bound is a real-number argument, while s is computed in single precision
// with a few dozen roundings of relative size 2^-24 (6e-8) on terms of the bound's magnitude, plus
// the noise's own interpolation rounding (a few units of 1e-7). A bound is therefore trusted only
// when it is below -kBoundSlack (1e-4) times the sum of the magnitudes involved: about a thousand
// times the largest rounding error the computation can make, while costing a negligible share of
// the skips (they happen at bounds far below 0).

#include "render/emitter_shape.h"

#include <algorithm>
#include <cmath>

#include "render/math/clamp.h"
#include "render/math/elementary.h"
#include "render/noise/fractal_sum.h"
#include "render/noise/noise.h"
#include "render/noise_channels.h"

namespace nebulastra {
namespace {

/// The larger of two values; not a number when either is, so a bound built from it never skips.
float boundMax(float a, float b) {
    if (a != a || b != b) return a + b;
    return a > b ? a : b;
}

} // namespace

EmitterShape emitterShape(const float p[3], int32_t k, const CloudField& field, bool erode) {
    constexpr EmitterShape kNothing{false, 0.0f, 0.0f, 0.0f, 0.0f};
    const float d[3] = {p[0] - field.positionX[k], p[1] - field.positionY[k], p[2] - field.positionZ[k]};
    // Squared distances: no root, and no noise for points the cloud cannot reach.
    if ((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2] > field.reachSquared[k]) return kNothing;

    const float(*rot)[3][kMaxEmitters] = field.rotation;
    const float lx = (rot[0][0][k] * d[0] + rot[0][1][k] * d[1]) + rot[0][2][k] * d[2];
    const float ly = (rot[1][0][k] * d[0] + rot[1][1][k] * d[1]) + rot[1][2][k] * d[2];
    const float lz = (rot[2][0][k] * d[0] + rot[2][1][k] * d[1]) + rot[2][2][k] * d[2];
    const float ax = lx * field.invScale[0][k];
    const float ay = ly * field.invScale[1][k];
    const float az = lz * field.invScale[2][k];
    const float radius = field.radius[k];
    const float h = ay / radius; // +y is down: positive below the centre

    // Tower stretches the upper half (ay < 0) by up to 2.2 times.
    const float tower = field.tower;
    const float ayTower = (tower > 0.0f && ay < 0.0f) ? ay / field.towerStretch : ay;
    const float base = 1.0f - std::sqrt((ax * ax + ayTower * ayTower) + az * az) / radius;

    float amplitude = field.billow;
    if (tower > 0.0f) amplitude = field.billow * (1.0f + 0.8f * tower * std::max(-h, 0.0f));

    // Flatten factor first: it decides whether the bounds below may be used at all.
    float flatten = 1.0f;
    if (field.flattenBase > 0.0f) {
        // Untouched down to 0.18 radii below the centre, fully flattened from 0.62 down.
        const float t = clampf((h - 0.18f) * 2.2727273f, 0.0f, 1.0f);
        flatten = 1.0f - field.flattenBase * smoothstep01(t);
        if (!(flatten > 0.0f) && !(flatten < 0.0f)) return kNothing; // s * 0 or NaN is never > 0
    }
    const bool boundsHold = flatten > 0.0f; // a negative factor would flip the sign

    const bool eroding = erode && field.edgeErosion > 0.0f;
    const float erosionRise = eroding ? kErosionMaxRise * field.edgeErosion : 0.0f;
    const NoiseRange range = shapedOctaveRange(field.billowMap);
    const float mean = field.billowMean, gain = field.billowGain;
    // The billow term at either end of the range (its sign follows gain and amplitude).
    const float termAtLowest = (range.lowest - mean) * gain * amplitude * 2.6f;
    const float termAtHighest = (range.highest - mean) * gain * amplitude * 2.6f;
    const float slack =
        kBoundSlack *
        (((1.0f + std::fabs(base)) + (std::fabs(termAtLowest) + std::fabs(termAtHighest))) + erosionRise);
    if (boundsHold && (base + boundMax(termAtLowest, termAtHighest)) + erosionRise + slack < 0.0f)
        return kNothing;

    const float f = field.billowFrequency;
    const float kf = field.emitterIndex[k];
    using noise_channels::kEmitterStep;
    float bx = lx * f + kEmitterStep[0] * kf;
    float by = ly * f + kEmitterStep[1] * kf;
    float bz = lz * f + kEmitterStep[2] * kf;
    if (field.warped) {
        const float warp = field.warpAmount;
        const float hx = bx / 2.0f, hy = by / 2.0f, hz = bz / 2.0f; // all three lookups share these
        float shift[3];
        for (int axis = 0; axis < 3; ++axis) {
            const noise_channels::Channel& c = noise_channels::kWarp[axis];
            shift[axis] = (perlinNoise3(hx + c.offset[0], hy + c.offset[1], hz + c.offset[2],
                                        offsetSeed(field.billowSeed, c.seedOffset)) -
                           0.5f) *
                          warp;
        }
        bx += shift[0];
        by += shift[1];
        bz += shift[2];
    }

    float billowValue;
    const bool billowsDone =
        shapedFbmNoise4While(field.billowMap, bx, by, bz, field.billowPhase, field.billowOctaves,
                             field.billowSeed, billowValue, [&](float sum, float weight, float weightTotal) {
                                 if (!boundsHold) return true;
                                 const float left = weightTotal - weight;
                                 const float lowest = (sum + range.lowest * left) / weightTotal;
                                 const float highest = (sum + range.highest * left) / weightTotal;
                                 const float term = boundMax((lowest - mean) * gain * amplitude * 2.6f,
                                                             (highest - mean) * gain * amplitude * 2.6f);
                                 return !((base + term) + erosionRise + slack < 0.0f);
                             });
    if (!billowsDone) return kNothing;
    float s = (billowValue - mean) * gain * amplitude * 2.6f + base;

    if (eroding) {
        // Erosion eats the rim only: full strength where s <= 0, fading out by s = 0.55.
        const float t = s * 1.8181818f;
        float m = 0.0f;
        if (t >= 0.0f) {
            m = 1.0f - smoothstep01(std::min(t, 1.0f));
        } else if (t < 0.0f) {
            m = 1.0f;
        }
        if (m > 0.0f) {
            // s + e E (-0.9) m, largest where e is lowest.
            const float rise = field.edgeErosion * 0.9f * m;
            const float erosionSlack = kBoundSlack * ((1.0f + std::fabs(s)) + 1.2f * rise);
            if (boundsHold && s + 0.2f * rise + erosionSlack < 0.0f) return kNothing;
            float e;
            const noise_channels::Channel& c = noise_channels::kErosion;
            const bool erosionDone = shapedFbmNoise4While(
                NoiseShape::Smooth, bx * c.scale + c.offset[0], by * c.scale + c.offset[1],
                bz * c.scale + c.offset[2], field.erosionPhase, field.erosionOctaves,
                offsetSeed(field.billowSeed, c.seedOffset), e,
                [&](float sum, float weight, float weightTotal) {
                    if (!boundsHold) return true;
                    const float lowest = (sum + kOctaveMin * (weightTotal - weight)) / weightTotal;
                    return !(s - lowest * rise + erosionSlack < 0.0f);
                });
            if (!erosionDone) return kNothing;
            s += e * field.edgeErosion * -0.9f * m;
        }
    }

    if (field.flattenBase > 0.0f) s = s * flatten;
    return {true, s, lx, ly, lz};
}

float edgeProfile(float s, const CloudField& field) {
    float q = field.edgeWidth > 0.0f ? smoothstep01(clampf(s / field.edgeWidth, 0.0f, 1.0f)) : 1.0f;
    if (field.hardnessApplies) q = fmath::pow(q, field.hardnessExponent);
    return q;
}

} // namespace nebulastra
