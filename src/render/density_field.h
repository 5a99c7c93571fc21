#pragma once
// The clouds' density at any composition-space point: a soft, noise-shaped ellipsoid per
// emitter, summed, and modulated by a world-space texture. The render kernels query the frame's
// CloudField (cloud_field.h); these forms build one from the frame's records for each call and
// serve single lookups (tests, benchmarks, the colour's texture lookup goes through textureAt).

#include "render/cloud_field.h"

namespace nebulastra {

/// Total density at p; perEmitter[k] receives emitter k's share for every k < emitterCount.
float sampleCloudDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared,
                         float perEmitter[kMaxEmitters]);
/// The cheaper density used on shadow rays: no erosion, detail or texture.
float sampleShadowDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared);
/// The world-space texture field, 0..1.
float sampleTexture(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared);

} // namespace nebulastra
