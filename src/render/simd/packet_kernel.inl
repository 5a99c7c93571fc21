// The per-pixel kernel over lanes: kLanes neighbouring pixels of one row marched together, one
// pixel per lane. Included once per instruction set by kernel_<isa>.cpp with
// NEBULASTRA_SIMD_NAMESPACE set; everything here lives in that namespace.
//
// Bit-exactness with the scalar kernel (shade_pixel.cpp, density_field.cpp, emitter_shape.cpp and
// the noise) is the whole contract: every lane performs the scalar code's operations in the
// scalar code's order, and control flow that differs between pixels becomes a lane mask. A lane
// whose work the scalar code would skip either computes values that are then masked out, or is
// skipped with the others when no lane needs the work. The per-pixel set-up (view ray, clip, step
// count, jitter, phase), the maths library calls and the colour compositing run once per pixel
// and call the scalar functions themselves.
//
// Only static functions are defined here, apart from shadeBand: no inline function of a shared
// header is used, so nothing compiled for this instruction set can be picked by the linker for
// code that runs on a CPU without it.

#include <cstdint>
#include <immintrin.h>

#include "render/cloud_field.h"
#include "render/composite_color.h"
#include "render/emitter_shape.h"
#include "render/march_setup.h"
#include "render/math/elementary.h"
#include "render/noise/noise_internal.h"
#include "render/noise_channels.h"
#include "render/shade_pixel.h"
#include "render/simd/packet_kernel.h"
#include "render/view_ray.h"

#ifndef NEBULASTRA_SIMD_NAMESPACE
#error "define NEBULASTRA_SIMD_NAMESPACE before including packet_kernel.inl"
#endif

namespace nebulastra {
namespace NEBULASTRA_SIMD_NAMESPACE {
namespace {

#include "render/simd/lanes.h"

using namespace noise_internal;

constexpr int kShadowSamples = 6;
constexpr float kStopTransmittance = 0.003f;
constexpr float kMaxLightRatio = 4.0f;

NEBULASTRA_LANE float minScalar(float a, float b) { return b < a ? b : a; }

#include "render/simd/noise_lanes.inl"

// ---- the density field -------------------------------------------------------------------------

NEBULASTRA_LANE VF smoothstepLanes(VF t) { return (t * t) * (3.0f - 2.0f * t); }

/// The larger of two bounds; not a number in a lane where either is, so that lane never skips.
NEBULASTRA_LANE VF boundMaxLanes(VF a, VF b) {
    const VM undefined = (a != a) | (b != b);
    return select(undefined, a + b, select(a > b, a, b));
}

NEBULASTRA_LANE int32_t offsetSeedScalar(int32_t seed, uint32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(seed) + offset);
}

struct ShapeLanes {
    VM live; // lanes where the emitter may still contribute
    VF s, lx, ly, lz;
};

/// emitterShape for every lane of `active`; lanes outside `live` on return contribute nothing.
static ShapeLanes emitterShapeLanes(const VF p[3], int32_t k, const CloudField& field, bool erode,
                                    VM active) {
    ShapeLanes out;
    const VF d0 = p[0] - field.positionX[k], d1 = p[1] - field.positionY[k], d2 = p[2] - field.positionZ[k];
    VM live = active & ~((d0 * d0 + d1 * d1) + d2 * d2 > field.reachSquared[k]);
    out.live = live;
    if (!any(live)) return out;

    const float(*rot)[3][kMaxEmitters] = field.rotation;
    const VF lx = (rot[0][0][k] * d0 + rot[0][1][k] * d1) + rot[0][2][k] * d2;
    const VF ly = (rot[1][0][k] * d0 + rot[1][1][k] * d1) + rot[1][2][k] * d2;
    const VF lz = (rot[2][0][k] * d0 + rot[2][1][k] * d1) + rot[2][2][k] * d2;
    const VF ax = lx * field.invScale[0][k];
    const VF ay = ly * field.invScale[1][k];
    const VF az = lz * field.invScale[2][k];
    const float radius = field.radius[k];
    const VF h = ay / radius;

    const float tower = field.tower;
    VF ayTower = ay;
    if (tower > 0.0f) ayTower = select(ay < 0.0f, ay / field.towerStretch, ay);
    const VF base = 1.0f - sqrtLanes((ax * ax + ayTower * ayTower) + az * az) / radius;

    VF amplitude = splat(field.billow);
    if (tower > 0.0f) amplitude = field.billow * (1.0f + 0.8f * tower * maxLanes(-h, splat(0.0f)));

    VF flatten = splat(1.0f);
    if (field.flattenBase > 0.0f) {
        const VF t = clampLanes((h - 0.18f) * 2.2727273f, 0.0f, 1.0f);
        flatten = 1.0f - field.flattenBase * smoothstepLanes(t);
        live &= (flatten > 0.0f) | (flatten < 0.0f);
    }
    const VM boundsHold = flatten > 0.0f;

    const bool eroding = erode && field.edgeErosion > 0.0f;
    const float erosionRise = eroding ? kErosionMaxRise * field.edgeErosion : 0.0f;
    const NoiseRange range = shapedOctaveRange(field.billowMap);
    const float mean = field.billowMean, gain = field.billowGain;
    const VF termAtLowest = (range.lowest - mean) * gain * amplitude * 2.6f;
    const VF termAtHighest = (range.highest - mean) * gain * amplitude * 2.6f;
    const VF slack =
        kBoundSlack *
        (((1.0f + absLanes(base)) + (absLanes(termAtLowest) + absLanes(termAtHighest))) + erosionRise);
    live &=
        ~(boundsHold & ((base + boundMaxLanes(termAtLowest, termAtHighest)) + erosionRise + slack < 0.0f));
    out.live = live;
    if (!any(live)) return out;

    const float f = field.billowFrequency;
    const float kf = field.emitterIndex[k];
    using noise_channels::kEmitterStep;
    VF bx = lx * f + kEmitterStep[0] * kf;
    VF by = ly * f + kEmitterStep[1] * kf;
    VF bz = lz * f + kEmitterStep[2] * kf;
    if (field.warped) {
        const float warp = field.warpAmount;
        const VF hx = bx / 2.0f, hy = by / 2.0f, hz = bz / 2.0f;
        VF shift[3];
        for (int axis = 0; axis < 3; ++axis) {
            const noise_channels::Channel& c = noise_channels::kWarp[axis];
            shift[axis] = (perlinNoise3Lanes(hx + c.offset[0], hy + c.offset[1], hz + c.offset[2],
                                             offsetSeedScalar(field.billowSeed, c.seedOffset), live) -
                           0.5f) *
                          warp;
        }
        bx += shift[0];
        by += shift[1];
        bz += shift[2];
    }

    // Billows, with the bound asked again after every octave but the last.
    const int32_t octaves = field.billowOctaves;
    VF billowValue = splat(0.0f);
    if (octaves >= 1) {
        const float weightTotal = fbmWeight(octaves);
        VF x = bx, y = by, z = bz, w = splat(field.billowPhase);
        int32_t seed = field.billowSeed;
        VF sum = splat(0.0f);
        float weight = 0.0f, amplitudeOctave = 0.5f;
        for (int32_t octave = 0; octave < octaves; ++octave) {
            const VF n = shapeOctaveLanes(field.billowMap, gradientNoise4Lanes(x, y, z, w, seed, live));
            weight += amplitudeOctave;
            sum += n * amplitudeOctave;
            amplitudeOctave *= 0.5f;
            nextOctaveLanes(x, y, z, w, seed);
            if (octave + 1 < octaves) {
                const float left = weightTotal - weight;
                const VF lowest = (sum + range.lowest * left) / weightTotal;
                const VF highest = (sum + range.highest * left) / weightTotal;
                const VF term = boundMaxLanes((lowest - mean) * gain * amplitude * 2.6f,
                                              (highest - mean) * gain * amplitude * 2.6f);
                live &= ~(boundsHold & ((base + term) + erosionRise + slack < 0.0f));
                out.live = live;
                if (!any(live)) return out;
            }
        }
        billowValue = weight > 0.0f ? sum / weight : splat(0.0f);
    }
    VF s = (billowValue - mean) * gain * amplitude * 2.6f + base;

    if (eroding) {
        const VF t = s * 1.8181818f;
        const VF m = select(t >= 0.0f, 1.0f - smoothstepLanes(minLanes(t, splat(1.0f))),
                            select(t < 0.0f, splat(1.0f), splat(0.0f)));
        VM erodeLanes = live & (m > 0.0f);
        const VF rise = field.edgeErosion * 0.9f * m;
        const VF erosionSlack = kBoundSlack * ((1.0f + absLanes(s)) + 1.2f * rise);
        const VM hopeless = erodeLanes & boundsHold & (s + 0.2f * rise + erosionSlack < 0.0f);
        live &= ~hopeless;
        erodeLanes &= ~hopeless;
        if (any(erodeLanes)) {
            const int32_t erosionOctaves = field.erosionOctaves;
            VF e = splat(0.0f);
            bool finished = true;
            if (erosionOctaves >= 1) {
                const float weightTotal = fbmWeight(erosionOctaves);
                const noise_channels::Channel& c = noise_channels::kErosion;
                VF x = bx * c.scale + c.offset[0], y = by * c.scale + c.offset[1],
                   z = bz * c.scale + c.offset[2];
                VF w = splat(field.erosionPhase);
                int32_t seed = offsetSeedScalar(field.billowSeed, c.seedOffset);
                VF sum = splat(0.0f);
                float weight = 0.0f, amplitudeOctave = 0.5f;
                for (int32_t octave = 0; octave < erosionOctaves; ++octave) {
                    const VF n = gradientNoise4Lanes(x, y, z, w, seed, erodeLanes);
                    weight += amplitudeOctave;
                    sum += n * amplitudeOctave;
                    amplitudeOctave *= 0.5f;
                    nextOctaveLanes(x, y, z, w, seed);
                    if (octave + 1 < erosionOctaves) {
                        const VF lowest = (sum + kOctaveMin * (weightTotal - weight)) / weightTotal;
                        const VM empty = erodeLanes & boundsHold & (s - lowest * rise + erosionSlack < 0.0f);
                        live &= ~empty;
                        erodeLanes &= ~empty;
                        if (!any(erodeLanes)) {
                            finished = false;
                            break;
                        }
                    }
                }
                if (finished) e = weight > 0.0f ? sum / weight : splat(0.0f);
            }
            if (finished) s = select(erodeLanes, s + e * field.edgeErosion * -0.9f * m, s);
        }
    }

    if (field.flattenBase > 0.0f) s = s * flatten;
    out.live = live;
    out.s = s;
    out.lx = lx;
    out.ly = ly;
    out.lz = lz;
    return out;
}

/// pow for the lanes of `mask` through the scalar maths function; other lanes keep x.
static VF powLanes(VF x, float y, VM mask) {
    VF out = x;
    for (int l = 0; l < kLanes; ++l) {
        if (mask[l]) out[l] = fmath::pow(x[l], y);
    }
    return out;
}

static VF expLanes(VF x, VM mask) {
    VF out = splat(1.0f);
    for (int l = 0; l < kLanes; ++l) {
        if (mask[l]) out[l] = fmath::exp(x[l]);
    }
    return out;
}

NEBULASTRA_LANE VF edgeProfileLanes(VF s, const CloudField& field, VM mask) {
    VF q = splat(1.0f);
    if (field.edgeWidth > 0.0f) q = smoothstepLanes(clampLanes(s / field.edgeWidth, 0.0f, 1.0f));
    if (field.hardnessApplies) q = powLanes(q, field.hardnessExponent, mask);
    return q;
}

/// The texture value for the lanes of `live`; other lanes return unspecified values.
static VF textureLanes(const TextureField& texture, const VF p[3], VM live) {
    const VF tx = p[0] * texture.frequency;
    const VF ty = p[1] * texture.frequency;
    const VF tz = p[2] * texture.frequency;
    const VF w = splat(texture.phase);
    const int32_t octaves = texture.octaves;
    const int32_t seed = texture.seed;

    const VF main = fbmLanes(tx, ty, tz, w, octaves, seed, live);
    const VF ridge = absLanes(2.0f * main - 1.0f);
    switch (texture.type) {
    case TextureType::Billows: {
        const noise_channels::Channel& c = noise_channels::kTextureBillows;
        const VF second =
            fbmLanes(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                     w * c.phaseScale + c.phaseOffset, octaves, offsetSeedScalar(seed, c.seedOffset), live);
        return clampLanes(1.0f - (0.6f * ridge + 0.4f * absLanes(2.0f * second - 1.0f)), 0.0f, 1.0f);
    }
    case TextureType::Erosion: {
        const VF a = clampLanes((ridge - 0.35f) * 2.3255816f, 0.0f, 1.0f);
        const noise_channels::Channel& c = noise_channels::kTextureGrain;
        const VF grain = gradientNoise4Lanes(tx * c.scale, ty * c.scale, tz * c.scale, w,
                                             offsetSeedScalar(seed, c.seedOffset), live);
        const VF a2 = a * a;
        const VF value = 0.25f * grain - (0.75f - 0.5f * a) * a2 * grain + 0.75f - (2.25f - 1.5f * a) * a2;
        return clampLanes(value, 0.0f, 1.0f);
    }
    case TextureType::Wisps:
    default: {
        const noise_channels::Channel& c = noise_channels::kTextureWisps;
        const VF second =
            fbmLanes(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                     w * c.phaseScale + c.phaseOffset, octaves, offsetSeedScalar(seed, c.seedOffset), live);
        const VF v = (1.0f - ridge) * 0.7f + (1.0f - absLanes(2.0f * second - 1.0f)) * 0.3f;
        return clampLanes(v * v, 0.0f, 1.0f);
    }
    }
}

/// CloudField::density for the lanes of `active`.
static VF densityLanes(const CloudField& field, const VF p[3], VM active, VF shares[kMaxEmitters]) {
    VF total = splat(0.0f);
    const float f = field.billowFrequency;
    using noise_channels::kDetail;
    using noise_channels::kEmitterStep;
    const int32_t detailSeed = offsetSeedScalar(field.billowSeed, kDetail.seedOffset);
    const VF detailPhase = splat(field.detailPhase);
    for (int32_t k = 0; k < field.emitterCount; ++k) {
        shares[k] = splat(0.0f);
        const ShapeLanes shape = emitterShapeLanes(p, k, field, true, active);
        if (!any(shape.live)) continue;
        const VM inside = shape.live & (shape.s > 0.0f);
        if (!any(inside)) continue;
        const VF q = edgeProfileLanes(shape.s, field, inside);
        const float kf = field.emitterIndex[k];
        const VF detail = fbmLanes(shape.lx * f * kDetail.scale + kEmitterStep[0] * kf + kDetail.offset[0],
                                   shape.ly * f * kDetail.scale + kEmitterStep[1] * kf + kDetail.offset[1],
                                   shape.lz * f * kDetail.scale + kEmitterStep[2] * kf + kDetail.offset[2],
                                   detailPhase, field.billowOctaves, detailSeed, inside);
        const VF rho = (detail * 0.65f + 0.55f) * q * field.opacity[k] * field.densityScale[k];
        const VM adds = inside & (rho > 1e-5f);
        shares[k] = select(adds, rho, splat(0.0f));
        total = select(adds, total + rho, total);
    }

    if (field.texture.enabled) {
        const VM textured = active & (total > 1e-6f);
        if (any(textured)) {
            const VF tau = textureLanes(field.texture, p, textured);
            const VF m = maxLanes(
                splat(0.0f), (tau - 0.5f) * field.texture.contrast * field.texture.strength * 0.7f + 1.0f);
            total = select(textured, total * m, total);
            for (int32_t k = 0; k < field.emitterCount; ++k)
                shares[k] = select(textured, shares[k] * m, shares[k]);
        }
    }
    return total;
}

/// CloudField::shadowDensity for the lanes of `active`.
static VF shadowDensityLanes(const CloudField& field, const VF p[3], VM active) {
    VF total = splat(0.0f);
    for (int32_t k = 0; k < field.emitterCount; ++k) {
        const ShapeLanes shape = emitterShapeLanes(p, k, field, false, active);
        if (!any(shape.live)) continue;
        const VM inside = shape.live & (shape.s > 0.0f);
        if (!any(inside)) continue;
        const VF q = edgeProfileLanes(shape.s, field, inside);
        total = select(inside, total + q * field.opacity[k] * field.densityScale[k], total);
    }
    return total;
}

// ---- the march ---------------------------------------------------------------------------------

/// shadePixel for the `count` pixels (x0 + l, y), l < count, of a packet.
static void shadePacket(int32_t x0, int32_t y, int32_t count, const RenderSettings& settings,
                        const PreparedFrame& prepared, const CloudField& field, float red[kLanes],
                        float green[kLanes], float blue[kLanes], float alpha[kLanes]) {
    // Per-pixel set-up through the scalar functions: it runs once per pixel, not per step.
    VF ox = splat(0.0f), oy = splat(0.0f), oz = splat(0.0f), dx = splat(0.0f), dy = splat(0.0f),
       dz = splat(0.0f);
    VF tNear = splat(0.0f), dt = splat(0.0f), ds = splat(0.0f), jitter = splat(0.0f), phase = splat(0.0f);
    VI steps = splatI(0);
    VM valid = splatI(0);
    int32_t mostSteps = 0;
    for (int l = 0; l < kLanes; ++l) {
        red[l] = green[l] = blue[l] = alpha[l] = 0.0f;
        if (l >= count) continue;
        const int32_t x = x0 + l;
        float o[3], d[3];
        viewRayForPixel(x, y, settings, o, d);
        float near, far;
        if (!clipToBoundSphere(o, d, field.boundCenter, field.boundRadius, near, far)) continue;
        const float span = far - near;
        const int32_t n = marchStepCount(span, field.cloudSizePx, field.qualitySteps);
        const float step = span / static_cast<float>(n);
        if (!(step > 0.0f)) continue;
        ox[l] = o[0], oy[l] = o[1], oz[l] = o[2];
        dx[l] = d[0], dy[l] = d[1], dz[l] = d[2];
        tNear[l] = near;
        dt[l] = step;
        ds[l] = step / field.unit;
        jitter[l] = pixelJitter(x, y);
        const float mu =
            (field.sunDirection[0] * d[0] + field.sunDirection[1] * d[1]) + field.sunDirection[2] * d[2];
        phase[l] = sunPhase(field.phaseAnisotropy, mu);
        steps[l] = n;
        valid[l] = -1;
        mostSteps = n > mostSteps ? n : mostSteps;
    }
    if (!any(valid)) return;

    const int32_t emitterCount = field.emitterCount;
    VF E[kMaxEmitters]; // optical length through each emitter's cloud
    VF shares[kMaxEmitters];
    for (int32_t k = 0; k < kMaxEmitters; ++k) E[k] = splat(0.0f);

    VF T = splat(1.0f), L = splat(0.0f), W = splat(0.0f);
    VF P[3] = {splat(0.0f), splat(0.0f), splat(0.0f)};
    VM marching = valid; // lanes that have not stopped on a dense enough cloud
    const float shadowStep = field.shadowStep;

    for (int32_t i = 0; i < mostSteps; ++i) {
        const VM active = marching & (splatI(i) < steps);
        if (!any(active)) break;
        const VF t = (static_cast<float>(i) + jitter) * dt + tNear;
        const VF p[3] = {ox + t * dx, oy + t * dy, oz + t * dz};

        const VF sigma = densityLanes(field, p, active, shares);
        const VM lit = active & (sigma > 1e-5f);
        if (!any(lit)) continue;

        for (int32_t k = 0; k < emitterCount; ++k) {
            E[k] = select(lit & (shares[k] > 0.0f), E[k] + shares[k] * ds, E[k]);
        }
        const VF w = sigma * ds;
        for (int c = 0; c < 3; ++c) P[c] = select(lit, P[c] + w * p[c], P[c]);
        W = select(lit, W + w, W);

        const VF kappa = field.extinction * sigma;
        const VF stepTransmittance = expLanes(-kappa * ds, lit);
        const VF absorbed = (1.0f - stepTransmittance) * T;

        VF visibility = splat(1.0f);
        if (field.shadowed) {
            VF sum = splat(0.0f);
            for (int m = 1; m <= kShadowSamples; ++m) {
                const float along = static_cast<float>(m) * shadowStep;
                const VF q[3] = {p[0] + along * field.sunDirection[0], p[1] + along * field.sunDirection[1],
                                 p[2] + along * field.sunDirection[2]};
                sum += shadowDensityLanes(field, q, lit);
            }
            visibility = expLanes(-field.extinction * field.selfShadow * sum * shadowStep / field.unit, lit);
        }

        const VF powder = (1.0f - expLanes(-2.0f * kappa, lit)) * 0.5f + 0.5f;
        L = select(lit, L + (powder * visibility * field.sunIntensity * phase + field.ambient) * absorbed, L);
        T = select(lit, T * stepTransmittance, T);
        marching &= ~(lit & (T < kStopTransmittance));
    }

    for (int l = 0; l < count; ++l) {
        if (!valid[l]) continue;
        const float a = 1.0f - T[l];
        if (a < 0.0001f) continue;
        if (W[l] < 1e-6f) continue;
        const float centroid[3] = {P[0][l] / W[l], P[1][l] / W[l], P[2][l] / W[l]};
        float laneE[kMaxEmitters];
        for (int32_t k = 0; k < kMaxEmitters; ++k) laneE[k] = E[k][l];
        float R, G, B;
        compositeEmitterColor(laneE, settings, prepared, centroid, R, G, B);
        const float lambda = minScalar(L[l] / a, kMaxLightRatio);
        red[l] = lambda * R * a * field.brightness;
        green[l] = lambda * G * a * field.brightness;
        blue[l] = lambda * B * a * field.brightness;
        alpha[l] = a;
    }
}

/// Runs a lane function over arrays in chunks of kLanes; the tail chunk is padded with zeros.
template <class LaneFunction>
void overBatch(int32_t count, float* out, LaneFunction function) {
    for (int32_t i = 0; i < count; i += kLanes) {
        const int32_t n = count - i < kLanes ? count - i : kLanes;
        const VF result = function(i, n);
        if (n == kLanes) {
            __builtin_memcpy(out + i, &result, sizeof result);
        } else {
            for (int32_t l = 0; l < n; ++l) out[i + l] = result[l];
        }
    }
}

NEBULASTRA_LANE VF loadLanes(const float* values, int32_t first, int32_t n) {
    VF v = splat(0.0f);
    if (n == kLanes) {
        __builtin_memcpy(&v, values + first, sizeof v);
    } else {
        for (int32_t l = 0; l < n; ++l) v[l] = values[first + l];
    }
    return v;
}

} // namespace

void gradientNoise4Batch(const float* x, const float* y, const float* z, const float* w, int32_t seed,
                         float* out, int32_t count) {
    overBatch(count, out, [&](int32_t i, int32_t n) {
        return gradientNoise4Lanes(loadLanes(x, i, n), loadLanes(y, i, n), loadLanes(z, i, n),
                                   loadLanes(w, i, n), seed, laneIndex() < static_cast<uint32_t>(n));
    });
}

void perlinNoise3Batch(const float* x, const float* y, const float* z, int32_t seed, float* out,
                       int32_t count) {
    overBatch(count, out, [&](int32_t i, int32_t n) {
        return perlinNoise3Lanes(loadLanes(x, i, n), loadLanes(y, i, n), loadLanes(z, i, n), seed,
                                 laneIndex() < static_cast<uint32_t>(n));
    });
}

void shadeBand(const RowBand& band, PixelRunStore store) {
    const FrameContext& context = band.context;
    float red[kLanes], green[kLanes], blue[kLanes], alpha[kLanes];
    for (int32_t y = band.firstRow; y < band.endRow; ++y) {
        // Pointer-width arithmetic: y * rowbytes can exceed 2^31 on large deep frames.
        unsigned char* row = context.outputBase + static_cast<std::ptrdiff_t>(y) * context.rowbytes;
        for (int32_t x = 0; x < context.width; x += kLanes) {
            const int32_t count = context.width - x < kLanes ? context.width - x : kLanes;
            shadePacket(context.originX + x, context.originY + y, count, *context.settings, *context.prepared,
                        *context.field, red, green, blue, alpha);
            store(row, x, count, red, green, blue, alpha);
        }
    }
}

} // namespace NEBULASTRA_SIMD_NAMESPACE
} // namespace nebulastra
