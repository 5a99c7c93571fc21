#pragma once
// Every use of the noise in the density field and its texture, with the seed offset and lattice
// placement that keeps it independent of the others. Each number is part of the look of the
// clouds: changing one changes every frame ever rendered. The scalar and SIMD kernels both read
// them from here, and each applies them in the operation order its comment states.

#include <cstdint>

namespace nebulastra::noise_channels {

/// Emitter k's noises sit k times this far along the lattice, so emitters with equal settings
/// still get different billows: (lx f + 17 k, ly f + 11 k, lz f + 23 k).
constexpr float kEmitterStep[3] = {17.0f, 11.0f, 23.0f};

/// One noise lookup derived from a base coordinate c (per axis) and a base phase w:
/// coordinate (c * scale) + offset, phase (w * phaseScale) + phaseOffset, seed base + seedOffset.
struct Channel {
    uint32_t seedOffset;
    float scale;
    float offset[3];
    float phaseScale;
    float phaseOffset;
};

/// "Domain Warp": three 3-D lookups, one per axis, at the halved billow coordinates, hx + offset
/// (the halving is written as a division by 2 in the kernels; scale records it).
constexpr Channel kWarp[3] = {
    {71u, 0.5f, {13.0f, 7.0f, 23.0f}, 0.0f, 0.0f},
    {72u, 0.5f, {41.0f, 29.0f, 5.0f}, 0.0f, 0.0f},
    {73u, 0.5f, {17.0f, 53.0f, 37.0f}, 0.0f, 0.0f},
};

/// "Edge Erosion": at the warped billow coordinates, bx 3.1 + 8 and so on; phase 1.7 w + 3.
constexpr Channel kErosion = {311u, 3.1f, {8.0f, 2.0f, 5.0f}, 1.7f, 3.0f};

/// Detail inside the cloud: at the unwarped local coordinates,
/// ((lx f) 2.3 + 17 k) + 19 and so on; phase 1.3 w + 5.
constexpr Channel kDetail = {131u, 2.3f, {19.0f, 4.0f, 11.0f}, 1.3f, 5.0f};

/// The texture's second lookups, from the texture coordinates and phase, by texture type.
constexpr Channel kTextureBillows = {70u, 2.3f, {11.0f, 5.0f, 7.0f}, 1.3f, 3.0f};
constexpr Channel kTextureWisps = {50u, 3.0f, {1.7f, 3.1f, 0.9f}, 1.3f, 5.0f};
/// The "Erosion" texture's grain: four times the texture frequency, the unscaled phase.
constexpr Channel kTextureGrain = {200u, 4.0f, {0.0f, 0.0f, 0.0f}, 1.0f, 0.0f};

} // namespace nebulastra::noise_channels
