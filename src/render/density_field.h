#pragma once
// The clouds' density at any composition-space point: a soft, noise-shaped ellipsoid per
// emitter, summed, and modulated by a world-space texture. Pure functions of their arguments.

#include "render/prepared_frame.h"

namespace nebulastra {

/// Total density at p; perEmitter[k] receives emitter k's share for every k < emitterCount.
float sampleCloudDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared,
                         float perEmitter[kMaxEmitters]);
/// The cheaper density used on shadow rays: no erosion, detail or texture.
float sampleShadowDensity(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared);
/// The world-space texture field, 0..1.
float sampleTexture(const float p[3], const RenderSettings& settings, const PreparedFrame& prepared);

} // namespace nebulastra
