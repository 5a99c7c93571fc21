// The per-pixel kernel over lanes: kLanes neighbouring pixels (a small tile of rows) marched
// together, one pixel per lane. Included once per instruction set by kernel_<isa>.cpp with
// NEBULASTRA_SIMD_NAMESPACE, NEBULASTRA_LANES and NEBULASTRA_KERNEL_ISA set (and once at one lane
// by kernel_scalar.cpp); everything here lives in that namespace, and the build's one export is
// its table of entry points, kKernel (packet_kernel.h). The pieces, one idea a file: lanes.h (the lane types), noise_lanes.inl (the
// noises), shape_lanes.inl (one emitter's shape), density_lanes.inl (the densities and the
// texture), and here the march and the entry points.
//
// Every width draws the same bits, one pixel's alone: a lane performs exactly the operations a
// pixel marched by itself would, in the same order, and control flow that differs between pixels
// becomes a lane mask. A lane whose work its pixel would skip either computes values that are then
// masked out, or is skipped with the others when no lane needs the work. The per-pixel set-up
// (view ray, clip, step count, jitter, phase), the correctly rounded maths functions and the colour
// compositing run once per pixel and call the functions outside the lanes.
//
// Only static functions are defined here, apart from the table: no inline function of a shared
// header is used, so nothing compiled for this instruction set can be picked by the linker for
// code that runs on a CPU without it.

#include <atomic>
#include <cstdint>
#include <type_traits>
#if NEBULASTRA_LANES > 1
#include <immintrin.h> // before lanes.h, which is included inside a namespace
#endif

#include "render/cloud_field.h"
#include "render/cloud_look.h"
#include "render/composite_color.h"
#include "render/emitter_shape.h"
#include "render/march_setup.h"
#include "render/math/elementary.h"
#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"
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
using namespace look;

NEBULASTRA_LANE float minScalar(float a, float b) { return b < a ? b : a; }
/// std::max(a, b): a unless a < b.
NEBULASTRA_LANE float maxScalar(float a, float b) { return a < b ? b : a; }

// In dependency order, not sorted.
// clang-format off
#include "render/simd/exp_lanes.inl"
#include "render/simd/noise_lanes.inl"
#include "render/simd/shape_lanes.inl"
#include "render/simd/density_lanes.inl"
// clang-format on

/// The shadow densities summed along the sun from p, for the lanes of `lit`: kShadowSamples
/// samples a shadow step apart. The samples of all lit lanes are packed into full batches (the
/// lanes of a packet are lit only in part at a cloud's rim), lane by lane the same values summed in
/// the same order as one pixel alone would.
static VF shadowSumLanes(const CloudField& field, const VF p[3], VM lit, float shadowStep) {
    int32_t litLanes[kLanes];
    int32_t litCount = 0;
    for (int l = 0; l < kLanes; ++l) {
        if (lit[l]) litLanes[litCount++] = l;
    }
    // Sample by sample: neighbouring pixels' samples lie close together, so a batch stays in few
    // noise cells.
    constexpr int32_t kMostSamples = kShadowSamples * kLanes;
    float q[3][kMostSamples + kLanes];
    float density[kMostSamples + kLanes];
    const int32_t total = litCount * kShadowSamples;
    const float* sun = field.settings.sunDirection;
    for (int m = 1; m <= kShadowSamples; ++m) {
        const float along = static_cast<float>(m) * shadowStep;
        for (int32_t j = 0; j < litCount; ++j) {
            const int32_t at = (m - 1) * litCount + j;
            for (int c = 0; c < 3; ++c) q[c][at] = p[c][litLanes[j]] + along * sun[c];
        }
    }
    for (int32_t first = 0; first < total; first += kLanes) {
        VF batch[3];
        VM used = splatI(0);
        for (int l = 0; l < kLanes; ++l) {
            const bool inside = first + l < total;
            for (int c = 0; c < 3; ++c) batch[c][l] = inside ? q[c][first + l] : 0.0f;
            used[l] = inside ? -1 : 0;
        }
        NEBULASTRA_LANE_PROBE(kShadowBatch, used);
        const VF d = shadowDensityLanes(field, batch, used);
        for (int l = 0; l < kLanes; ++l) density[first + l] = d[l];
    }
    VF sum = splat(0.0f);
    for (int32_t j = 0; j < litCount; ++j) {
        float laneSum = 0.0f;
        for (int m = 0; m < kShadowSamples; ++m) laneSum += density[m * litCount + j];
        sum[litLanes[j]] = laneSum;
    }
    return sum;
}

/// The rows of a packet's tile of pixels: 8 wide and 4 tall for 32 lanes, 4 x 4 for 16, 2 wide and
/// 4 tall for 8.
/// A compact tile keeps the lanes' ray points close together, so that more of the noise lookups
/// find all their lanes in few lattice cells (a run of 16 pixels along a row spans more cells than
/// a 4 x 4 square does); of the 8-lane shapes, 2 x 4 rendered the examples fastest. Which pixels
/// share a packet changes no pixel's value.
constexpr int32_t kTileRows = kLanes >= 8 ? kTallestTile : kLanes >= 4 ? 2 : 1;
static_assert(kTallestTile % kTileRows == 0, "a runner's call of kTallestTile rows is whole tiles");

/// shadePixel for the `count` pixels (x[l], y[l]), l < count, of a packet.
static void shadePacket(const int32_t x[kLanes], const int32_t y[kLanes], int32_t count,
                        const CloudField& field, float red[kLanes], float green[kLanes], float blue[kLanes],
                        float alpha[kLanes]) {
    const RenderSettings& settings = field.settings;
    const PreparedFrame& prepared = field.prepared;
    const float unit = maxScalar(settings.cloudSizePx, 1.0f); // the unit of optical length
    // Per-pixel set-up through the one-pixel functions: it runs once per pixel, not per step.
    VF ox = splat(0.0f), oy = splat(0.0f), oz = splat(0.0f), dx = splat(0.0f), dy = splat(0.0f),
       dz = splat(0.0f);
    VF tNear = splat(0.0f), dt = splat(0.0f), ds = splat(0.0f), jitter = splat(0.0f), phase = splat(0.0f);
    VI steps = splatI(0);
    VM valid = splatI(0);
    int32_t mostSteps = 0;
    for (int l = 0; l < kLanes; ++l) {
        red[l] = green[l] = blue[l] = alpha[l] = 0.0f;
        if (l >= count) continue;
        float o[3], d[3];
        viewRayForPixel(x[l], y[l], settings, o, d);
        float near, far;
        if (!clipToBoundSphere(o, d, prepared.boundCenter, prepared.boundRadius, near, far)) continue;
        const float span = far - near;
        const int32_t n = marchStepCount(span, settings.cloudSizePx, settings.qualitySteps);
        const float step = span / static_cast<float>(n);
        if (!(step > 0.0f)) continue;
        ox[l] = o[0], oy[l] = o[1], oz[l] = o[2];
        dx[l] = d[0], dy[l] = d[1], dz[l] = d[2];
        tNear[l] = near;
        dt[l] = step;
        ds[l] = step / unit;
        jitter[l] = pixelJitter(x[l], y[l]);
        const float* sun = settings.sunDirection;
        const float mu = (sun[0] * d[0] + sun[1] * d[1]) + sun[2] * d[2];
        phase[l] = sunPhase(settings.phaseAnisotropy, mu);
        steps[l] = n;
        valid[l] = -1;
        mostSteps = n > mostSteps ? n : mostSteps;
    }
    if (!any(valid)) return;

    const int32_t emitterCount = settings.emitterCount;
    VF E[kMaxEmitters]; // optical length through each emitter's cloud
    VF shares[kMaxEmitters];
    for (int32_t k = 0; k < kMaxEmitters; ++k) E[k] = splat(0.0f);

    VF T = splat(1.0f), L = splat(0.0f), W = splat(0.0f);
    VF P[3] = {splat(0.0f), splat(0.0f), splat(0.0f)};
    VM marching = valid; // lanes that have not stopped on a dense enough cloud
    const float shadowStep = kShadowSpacing * unit;
    const bool shadowed = settings.selfShadow > kMinSelfShadow;
    const float extinction = settings.density; // per unit of cloud density

    for (int32_t i = 0; i < mostSteps; ++i) {
        const VM active = marching & (splatI(i) < steps);
        if (!any(active)) break;
        NEBULASTRA_LANE_PROBE(kMarchActive, active);
        const VF t = (static_cast<float>(i) + jitter) * dt + tNear;
        const VF p[3] = {ox + t * dx, oy + t * dy, oz + t * dz};

        const VF sigma = densityLanes(field, p, active, shares);
        const VM lit = active & (sigma > 1e-5f);
        if (!any(lit)) continue;
        NEBULASTRA_LANE_PROBE(kMarchLit, lit);

        for (int32_t k = 0; k < emitterCount; ++k) {
            E[k] = select(lit & (shares[k] > 0.0f), E[k] + shares[k] * ds, E[k]);
        }
        const VF w = sigma * ds;
        for (int c = 0; c < 3; ++c) P[c] = select(lit, P[c] + w * p[c], P[c]);
        W = select(lit, W + w, W);

        const VF kappa = extinction * sigma;
        const VF stepTransmittance = expLanes(-kappa * ds, lit);
        const VF absorbed = (1.0f - stepTransmittance) * T;

        VF visibility = splat(1.0f);
        if (shadowed) {
            const VF sum = shadowSumLanes(field, p, lit, shadowStep);
            visibility = expLanes(-extinction * settings.selfShadow * sum * shadowStep / unit, lit);
        }

        const VF powder = (1.0f - expLanes(-2.0f * kappa, lit)) * 0.5f + 0.5f;
        L = select(
            lit, L + (powder * visibility * settings.sunIntensity * phase + settings.ambient) * absorbed, L);
        T = select(lit, T * stepTransmittance, T);
        marching &= ~(lit & (T < kStopTransmittance));
    }

    // The lanes whose pixel gets a colour; the texture at their centroids is looked up for all of
    // them at once.
    const VF a = 1.0f - T;
    const VM coloured = valid & ~(a < 0.0001f) & ~(W < 1e-6f);
    if (!any(coloured)) return;
    const VF centroid[3] = {P[0] / W, P[1] / W, P[2] / W};
    VF texture = splat(0.0f);
    if (settings.textureStrength > kTextureMinStrength) texture = textureLanes(field, centroid, coloured);
    for (int l = 0; l < count; ++l) {
        if (!coloured[l]) continue;
        float laneE[kMaxEmitters];
        for (int32_t k = 0; k < kMaxEmitters; ++k) laneE[k] = E[k][l];
        float R, G, B;
        compositeEmitterColor(laneE, field, texture[l], R, G, B);
        const float lambda = minScalar(L[l] / a[l], kMaxLightRatio);
        red[l] = lambda * R * a[l] * settings.brightness;
        green[l] = lambda * G * a[l] * settings.brightness;
        blue[l] = lambda * B * a[l] * settings.brightness;
        alpha[l] = a[l];
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

void expBatch(const float* x, float* out, int32_t count) {
    overBatch(count, out, [&](int32_t i, int32_t n) { return expLanes(loadLanes(x, i, n), splatI(-1)); });
}

void shadeRows(const RowBand& band) {
    const FrameContext& context = band.context;
    const PixelRunStore store = context.store;
    float red[kLanes], green[kLanes], blue[kLanes], alpha[kLanes];
    int32_t x[kLanes], y[kLanes];
    for (int32_t top = band.firstRow; top < band.endRow; top += kTileRows) {
        // The band's last tiles may have fewer rows; they are wider, so that the lanes stay full.
        const int32_t rows = band.endRow - top < kTileRows ? band.endRow - top : kTileRows;
        const int32_t tileWidth = kLanes / rows;
        for (int32_t left = 0; left < context.width; left += tileWidth) {
            if (context.stop != nullptr && context.stop->load(std::memory_order_relaxed)) return;
            // The tile's pixels row by row in consecutive lanes, so each row's run is contiguous
            // for the store (the last tile of a row may be narrower).
            const int32_t columns = context.width - left < tileWidth ? context.width - left : tileWidth;
            for (int32_t r = 0; r < rows; ++r) {
                for (int32_t c = 0; c < columns; ++c) {
                    x[r * columns + c] = context.originX + left + c;
                    y[r * columns + c] = context.originY + top + r;
                }
            }
            shadePacket(x, y, rows * columns, *context.field, red, green, blue, alpha);
            for (int32_t r = 0; r < rows; ++r) {
                // Pointer-width arithmetic: y * rowbytes can exceed 2^31 on large deep frames.
                unsigned char* row =
                    context.outputBase + static_cast<std::ptrdiff_t>(top + r) * context.rowbytes;
                const int32_t first = r * columns;
                store(row, left, columns, red + first, green + first, blue + first, alpha + first);
            }
        }
    }
}

} // namespace

#if !defined(NEBULASTRA_KERNEL_ISA)
#error "define NEBULASTRA_KERNEL_ISA, the instruction set this build is for"
#endif
/// This build's entry points.
extern const KernelTable kKernel;
const KernelTable kKernel = {NEBULASTRA_KERNEL_ISA, kLanes,  shadeRows, gradientNoise4Batch,
                             perlinNoise3Batch,     expBatch};

} // namespace NEBULASTRA_SIMD_NAMESPACE
} // namespace nebulastra
