#pragma once
// One emitter's cloud shape at a point: the steps the cloud and shadow densities share.

#include "render/prepared_frame.h"

namespace nebulastra {

struct EmitterShape {
    bool inReach;      // false beyond 2.6 * radius * largest scale: nothing else was evaluated
    float s;           // shape value; the cloud is where s > 0
    float lx, ly, lz;  // offset from the emitter in its local (rotated, unscaled) axes
};

/// Reach test, local frame, "Tower", base ellipsoid, (warped, shaped) billows, "Edge Erosion" when
/// `erode`, and "Flatten Base" for emitter k at world point p.
EmitterShape emitterShape(const float p[3], int32_t k, const RenderSettings& settings, const PreparedFrame& prepared,
                          bool erode);

/// Edge profile of a positive shape value: smoothstep over `edgeWidth` (1 when the width is 0),
/// raised to the "Edge Hardness" power (0.4 at 100 %, 2.5 at 0 %, none from 49 % to 51 %).
float edgeProfile(float s, float edgeWidth, float hardness);

/// t^2 (3 - 2t) for t already in [0, 1].
inline float smoothstep01(float t) { return (t * t) * (3.0f - 2.0f * t); }

/// seed + offset with two's-complement wrap-around (the seed's bit pattern is what is hashed).
inline int32_t offsetSeed(int32_t seed, uint32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(seed) + offset);
}

} // namespace nebulastra
