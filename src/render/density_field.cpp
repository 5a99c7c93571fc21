// The cloud density field: every emitter's shape (emitter_shape.h) turned into a density and
// summed, then modulated by a world-space texture.
//
// Cost control: the reach test comes before any noise, an emitter is dropped as soon as its shape
// value provably cannot end above 0, erosion uses at most 3 octaves, and shadow rays skip erosion,
// detail and texture.

#include "render/density_field.h"

#include <algorithm>
#include <cmath>

#include "render/emitter_shape.h"
#include "render/math/clamp.h"
#include "render/noise/noise.h"
#include "render/noise_channels.h"

namespace nebulastra {

float CloudField::density(const float p[3], float shares[kMaxEmitters]) const {
    float total = 0.0f;
    const float f = billowFrequency;
    using noise_channels::kDetail;
    using noise_channels::kEmitterStep;
    const int32_t detailSeed = offsetSeed(billowSeed, kDetail.seedOffset);
    for (int32_t k = 0; k < emitterCount; ++k) {
        shares[k] = 0.0f;
        const EmitterShape shape = emitterShape(p, k, *this, true);
        if (!shape.mayContribute || !(shape.s > 0.0f)) continue;
        const float q = edgeProfile(shape.s, *this);

        // Detail modulates the inside, looked up at the unwarped local coordinates.
        const float kf = emitterIndex[k];
        const float detail =
            fbmNoise4(shape.lx * f * kDetail.scale + kEmitterStep[0] * kf + kDetail.offset[0],
                      shape.ly * f * kDetail.scale + kEmitterStep[1] * kf + kDetail.offset[1],
                      shape.lz * f * kDetail.scale + kEmitterStep[2] * kf + kDetail.offset[2], detailPhase,
                      billowOctaves, detailSeed);
        const float rho = (detail * 0.65f + 0.55f) * q * opacity[k] * densityScale[k];
        if (rho > 1e-5f) {
            shares[k] = rho;
            total += rho;
        }
    }

    if (texture.enabled && total > 1e-6f) {
        const float tau = textureAt(texture, p);
        const float m = std::max(0.0f, (tau - 0.5f) * texture.contrast * texture.strength * 0.7f + 1.0f);
        total *= m;
        for (int32_t k = 0; k < emitterCount; ++k) shares[k] *= m;
    }
    return total;
}

float CloudField::shadowDensity(const float p[3]) const {
    float total = 0.0f;
    for (int32_t k = 0; k < emitterCount; ++k) {
        const EmitterShape shape = emitterShape(p, k, *this, false);
        if (!shape.mayContribute || !(shape.s > 0.0f)) continue;
        total += edgeProfile(shape.s, *this) * opacity[k] * densityScale[k];
    }
    return total;
}

float textureAt(const TextureField& texture, const float p[3]) {
    // World space, not any emitter's frame: the texture stays put while clouds move through it.
    const float tx = p[0] * texture.frequency;
    const float ty = p[1] * texture.frequency;
    const float tz = p[2] * texture.frequency;
    const float w = texture.phase;
    const int32_t octaves = texture.octaves;
    const int32_t seed = texture.seed;

    const float main = fbmNoise4(tx, ty, tz, w, octaves, seed);
    const float ridge = std::abs(2.0f * main - 1.0f);

    switch (texture.type) {
    case TextureType::Billows: {
        const noise_channels::Channel& c = noise_channels::kTextureBillows;
        const float second =
            fbmNoise4(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                      w * c.phaseScale + c.phaseOffset, octaves, offsetSeed(seed, c.seedOffset));
        return clampf(1.0f - (0.6f * ridge + 0.4f * std::abs(2.0f * second - 1.0f)), 0.0f, 1.0f);
    }
    case TextureType::Erosion: { // (1 - smoothstep(a)) * (0.75 + 0.25 grain), expanded; unscaled phase
        const float a = clampf((ridge - 0.35f) * 2.3255816f, 0.0f, 1.0f);
        // No offset and the unscaled phase: adding a zero offset could turn -0 into +0.
        const noise_channels::Channel& c = noise_channels::kTextureGrain;
        const float grain =
            gradientNoise4(tx * c.scale, ty * c.scale, tz * c.scale, w, offsetSeed(seed, c.seedOffset));
        const float a2 = a * a;
        const float value = 0.25f * grain - (0.75f - 0.5f * a) * a2 * grain + 0.75f - (2.25f - 1.5f * a) * a2;
        return clampf(value, 0.0f, 1.0f);
    }
    case TextureType::Wisps:
    default: {
        const noise_channels::Channel& c = noise_channels::kTextureWisps;
        const float second =
            fbmNoise4(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                      w * c.phaseScale + c.phaseOffset, octaves, offsetSeed(seed, c.seedOffset));
        const float v = (1.0f - ridge) * 0.7f + (1.0f - std::abs(2.0f * second - 1.0f)) * 0.3f;
        return clampf(v * v, 0.0f, 1.0f);
    }
    }
}

float sampleCloudDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared,
                         float perEmitter[kMaxEmitters]) {
    return makeCloudField(settings, prepared).density(p, perEmitter);
}

float sampleShadowDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared) {
    return makeCloudField(settings, prepared).shadowDensity(p);
}

float sampleTexture(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared) {
    return textureAt(makeTextureField(settings, prepared), p);
}

} // namespace nebulastra
