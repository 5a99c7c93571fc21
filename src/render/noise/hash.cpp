// Integer hashing: the root of every random quantity of the renderer.

#include "render/noise/noise.h"

namespace nebulastra {

// hashMix itself is the noises' scramble, defined with them (render/simd/noise_lanes.inl).

uint32_t randomBits(int32_t seed, int32_t index, int32_t channel) {
    // Signed inputs enter through their two's-complement bit patterns; all arithmetic wraps.
    const uint32_t s = static_cast<uint32_t>(seed) * 83492791u + 1u;
    const uint32_t k = s ^ (static_cast<uint32_t>(index) * 73856093u);
    return hashMix(k ^ (static_cast<uint32_t>(channel) * 19349663u));
}

} // namespace nebulastra
