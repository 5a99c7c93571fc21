// One emitter's cloud shape: a soft ellipsoid in the emitter's rotated, scaled frame, pushed in
// and out by billow noise, eaten at the rim by erosion, stretched upward by "Tower" and cut below
// by "Flatten Base". Space has +y down, so h > 0 is below the emitter's centre.

#include "render/emitter_shape.h"

#include <algorithm>
#include <cmath>

#include "render/math/elementary.h"
#include "render/noise/noise.h"

namespace nebulastra {
namespace {

/// Reach of a cloud in radii times its largest scale, squared: 2.6^2 as a float.
constexpr float kReachSquared = 6.7599993f;

float clampf(float x, float lo, float hi) { return std::min(std::max(x, lo), hi); }

} // namespace

EmitterShape emitterShape(const float p[3], int32_t k, const RenderSettings& settings, const PreparedFrame& prepared,
                          bool erode) {
    const float* position = settings.emitters[k].position;
    const float d[3] = {p[0] - position[0], p[1] - position[1], p[2] - position[2]};
    const float radius = prepared.emitterRadius[k];
    const float reach = radius * prepared.emitterMaxScale[k];
    // Squared distances: no root, and no noise for points the cloud cannot reach.
    if ((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2] > kReachSquared * (reach * reach)) {
        return {false, 0.0f, 0.0f, 0.0f, 0.0f};
    }

    const float(*rot)[kMaxEmitters][3] = prepared.emitterRotation;
    const float lx = (rot[0][k][0] * d[0] + rot[0][k][1] * d[1]) + rot[0][k][2] * d[2];
    const float ly = (rot[1][k][0] * d[0] + rot[1][k][1] * d[1]) + rot[1][k][2] * d[2];
    const float lz = (rot[2][k][0] * d[0] + rot[2][k][1] * d[1]) + rot[2][k][2] * d[2];
    const float ax = lx * prepared.emitterInvScale[0][k];
    const float ay = ly * prepared.emitterInvScale[1][k];
    const float az = lz * prepared.emitterInvScale[2][k];
    const float h = ay / radius;  // +y is down: positive below the centre

    // Tower stretches the upper half (ay < 0) by up to 2.2 times.
    const float tower = settings.tower;
    const float ayTower = (tower > 0.0f && ay < 0.0f) ? ay / (1.0f + 1.2f * tower) : ay;
    const float base = 1.0f - std::sqrt((ax * ax + ayTower * ayTower) + az * az) / radius;

    float amplitude = settings.billow;
    if (tower > 0.0f) amplitude = settings.billow * (1.0f + 0.8f * tower * std::max(-h, 0.0f));

    const float f = prepared.billowFrequency;
    const float kf = static_cast<float>(k);
    float bx = lx * f + 17.0f * kf;
    float by = ly * f + 11.0f * kf;
    float bz = lz * f + 23.0f * kf;
    if (settings.domainWarp > 0.0f) {
        const float warp = 2.2f * settings.domainWarp;
        const float hx = bx / 2.0f, hy = by / 2.0f, hz = bz / 2.0f;  // all three lookups share these
        const int32_t seed = settings.billowSeed;
        bx += (perlinNoise3(hx + 13.0f, hy + 7.0f, hz + 23.0f, offsetSeed(seed, 71)) - 0.5f) * warp;
        by += (perlinNoise3(hx + 41.0f, hy + 29.0f, hz + 5.0f, offsetSeed(seed, 72)) - 0.5f) * warp;
        bz += (perlinNoise3(hx + 17.0f, hy + 53.0f, hz + 37.0f, offsetSeed(seed, 73)) - 0.5f) * warp;
    }

    const float billowValue = shapedFbmNoise4(static_cast<NoiseShape>(settings.billowMap), bx, by, bz,
                                              prepared.billowPhase, settings.billowDetail, settings.billowSeed);
    float s = (billowValue - prepared.billowMean) * prepared.billowGain * amplitude * 2.6f + base;

    if (erode && settings.edgeErosion > 0.0f) {
        // Erosion eats the rim only: full strength where s <= 0, fading out by s = 0.55.
        const float t = s * 1.8181818f;
        float m = 0.0f;
        if (t >= 0.0f) {
            m = 1.0f - smoothstep01(std::min(t, 1.0f));
        } else if (t < 0.0f) {
            m = 1.0f;
        }
        if (m > 0.0f) {
            const float e = fbmNoise4(bx * 3.1f + 8.0f, by * 3.1f + 2.0f, bz * 3.1f + 5.0f,
                                      prepared.billowPhase * 1.7f + 3.0f, std::min(settings.billowDetail, 3),
                                      offsetSeed(settings.billowSeed, 311));
            s += e * settings.edgeErosion * -0.9f * m;
        }
    }

    if (settings.flattenBase > 0.0f) {
        // Untouched down to 0.18 radii below the centre, fully flattened from 0.62 down.
        const float t = clampf((h - 0.18f) * 2.2727273f, 0.0f, 1.0f);
        s = s * (1.0f - settings.flattenBase * smoothstep01(t));
    }

    return {true, s, lx, ly, lz};
}

float edgeProfile(float s, float edgeWidth, float hardness) {
    float q = edgeWidth > 0.0f ? smoothstep01(clampf(s / edgeWidth, 0.0f, 1.0f)) : 1.0f;
    if (hardness < 0.49f || hardness > 0.51f) {
        // Below 1 (harder) toward 100 %, above 1 (softer) toward 0 %.
        const float x = hardness >= 0.5f ? 1.0f - (hardness - 0.5f) * 1.2f : 1.0f + (0.5f - hardness) * 3.0f;
        q = fmath::pow(q, x);
    }
    return q;
}

} // namespace nebulastra
