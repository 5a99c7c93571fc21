// The cloud density field: every emitter's shape (emitter_shape.h) turned into a density and
// summed, then modulated by a world-space texture.
//
// Cost control: the reach test comes before any noise, an emitter is dropped as soon as its shape
// value is not above 0, erosion uses at most 3 octaves, and shadow rays skip erosion, detail and
// texture.

#include "render/density_field.h"

#include <algorithm>
#include <cmath>

#include "render/emitter_shape.h"
#include "render/noise/noise.h"

namespace nebulastra {
namespace {

float clampf(float x, float lo, float hi) { return std::min(std::max(x, lo), hi); }

int32_t usedEmitters(const RenderSettings& settings) { return std::clamp(settings.emitterCount, 0, kMaxEmitters); }

} // namespace

float sampleCloudDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared,
                         float perEmitter[kMaxEmitters]) {
    float total = 0.0f;
    const int32_t count = usedEmitters(settings);
    const float f = prepared.billowFrequency;
    const float detailPhase = prepared.billowPhase * 1.3f + 5.0f;
    const int32_t detailSeed = offsetSeed(settings.billowSeed, 131);
    for (int32_t k = 0; k < count; ++k) {
        perEmitter[k] = 0.0f;
        const EmitterShape shape = emitterShape(p, k, settings, prepared, true);
        if (!shape.inReach || !(shape.s > 0.0f)) continue;
        const float q = edgeProfile(shape.s, prepared.edgeWidth, settings.edgeHardness);

        // Detail modulates the inside, looked up at the unwarped local coordinates.
        const float kf = static_cast<float>(k);
        const float detail = fbmNoise4(shape.lx * f * 2.3f + 17.0f * kf + 19.0f,
                                       shape.ly * f * 2.3f + 11.0f * kf + 4.0f,
                                       shape.lz * f * 2.3f + 23.0f * kf + 11.0f, detailPhase, settings.billowDetail,
                                       detailSeed);
        // cloudSizePx / R thins larger clouds so their optical depth stays comparable.
        const float rho = (detail * 0.65f + 0.55f) * q * prepared.emitterOpacity[k] *
                          (settings.cloudSizePx / prepared.emitterRadius[k]);
        if (rho > 1e-5f) {
            perEmitter[k] = rho;
            total += rho;
        }
    }

    if (settings.textureStrength > 0.001f && total > 1e-6f) {
        const float tau = sampleTexture(p, settings, prepared);
        const float m =
            std::max(0.0f, (tau - 0.5f) * settings.textureContrast * settings.textureStrength * 0.7f + 1.0f);
        total *= m;
        for (int32_t k = 0; k < count; ++k) perEmitter[k] *= m;
    }
    return total;
}

float sampleShadowDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared) {
    float total = 0.0f;
    const int32_t count = usedEmitters(settings);
    for (int32_t k = 0; k < count; ++k) {
        const EmitterShape shape = emitterShape(p, k, settings, prepared, false);
        if (!shape.inReach || !(shape.s > 0.0f)) continue;
        const float q = edgeProfile(shape.s, prepared.edgeWidth, settings.edgeHardness);
        total += q * prepared.emitterOpacity[k] * (settings.cloudSizePx / prepared.emitterRadius[k]);
    }
    return total;
}

float sampleTexture(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared) {
    // World space, not any emitter's frame: the texture stays put while clouds move through it.
    const float tx = p[0] * prepared.textureFrequency;
    const float ty = p[1] * prepared.textureFrequency;
    const float tz = p[2] * prepared.textureFrequency;
    const float w = prepared.texturePhase;
    const int32_t octaves = settings.billowDetail;
    const int32_t seed = settings.textureSeed;

    const float main = fbmNoise4(tx, ty, tz, w, octaves, seed);
    const float ridge = std::abs(2.0f * main - 1.0f);

    switch (settings.textureType) {
    case 2: {  // Billows
        const float second = fbmNoise4(tx * 2.3f + 11.0f, ty * 2.3f + 5.0f, tz * 2.3f + 7.0f, w * 1.3f + 3.0f, octaves,
                                       offsetSeed(seed, 70));
        return clampf(1.0f - (0.6f * ridge + 0.4f * std::abs(2.0f * second - 1.0f)), 0.0f, 1.0f);
    }
    case 3: {  // Erosion: (1 - smoothstep(a)) * (0.75 + 0.25 grain), expanded; unscaled phase
        const float a = clampf((ridge - 0.35f) * 2.3255816f, 0.0f, 1.0f);
        const float grain = gradientNoise4(tx * 4.0f, ty * 4.0f, tz * 4.0f, w, offsetSeed(seed, 200));
        const float a2 = a * a;
        const float value = 0.25f * grain - (0.75f - 0.5f * a) * a2 * grain + 0.75f - (2.25f - 1.5f * a) * a2;
        return clampf(value, 0.0f, 1.0f);
    }
    default: {  // Wisps (1, and any other value)
        const float second = fbmNoise4(tx * 3.0f + 1.7f, ty * 3.0f + 3.1f, tz * 3.0f + 0.9f, w * 1.3f + 5.0f, octaves,
                                       offsetSeed(seed, 50));
        const float v = (1.0f - ridge) * 0.7f + (1.0f - std::abs(2.0f * second - 1.0f)) * 0.3f;
        return clampf(v * v, 0.0f, 1.0f);
    }
    }
}

} // namespace nebulastra
