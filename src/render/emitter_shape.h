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

} // namespace nebulastra
