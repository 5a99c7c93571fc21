#pragma once
// One emitter's cloud shape at a point: the steps the cloud and shadow densities share.

#include "render/cloud_field.h"

namespace nebulastra {

struct EmitterShape {
    bool mayContribute; // false: the emitter adds nothing at this point (out of reach, or its
                        // shape value was proven not above 0 before all noise was evaluated)
    float s;            // shape value when mayContribute; the cloud is where s > 0
    float lx, ly, lz;   // offset from the emitter in its local (rotated, unscaled) axes
};

/// Reach test, local frame, "Tower", base ellipsoid, (warped, shaped) billows, "Edge Erosion" when
/// `erode`, and "Flatten Base" for emitter k at world point p. Stops early, with mayContribute
/// false, as soon as the shape value provably cannot end above 0.
EmitterShape emitterShape(const float p[3], int32_t k, const CloudField& field, bool erode);

/// Edge profile of a positive shape value: smoothstep over the edge width (1 when the width is 0),
/// raised to the "Edge Hardness" power (0.4 at 100 %, 2.5 at 0 %, none from 49 % to 51 %).
float edgeProfile(float s, const CloudField& field);

/// t^2 (3 - 2t) for t already in [0, 1].
inline float smoothstep01(float t) { return (t * t) * (3.0f - 2.0f * t); }

/// seed + offset with two's-complement wrap-around (the seed's bit pattern is what is hashed).
inline int32_t offsetSeed(int32_t seed, uint32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(seed) + offset);
}

/// Upper-bound bookkeeping shared by the scalar and SIMD kernels: how far the shape value may
/// still rise from what is known. See emitter_shape.cpp for the argument.
constexpr float kErosionMaxRise = 0.18f; // -0.9 x the lowest erosion noise, -0.2
constexpr float kBoundSlack = 1e-4f;     // relative rounding margin of every bound test

} // namespace nebulastra
