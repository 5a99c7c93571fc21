#pragma once
// The clouds' density at any composition-space point: a soft, noise-shaped ellipsoid per
// emitter, summed, and modulated by a world-space texture; one lookup at a time, on the frame
// record (the kernel evaluates the same over lanes).

#include "render/cloud_field.h"

namespace nebulastra {

/// Total density at p; perEmitter[k] receives emitter k's share for every k < emitterCount.
float sampleCloudDensity(const float p[3], const CloudField& field, float perEmitter[kMaxEmitters]);
/// The cheaper density used on shadow rays: no erosion, detail or texture.
float sampleShadowDensity(const float p[3], const CloudField& field);
/// The world-space texture field, 0..1.
float sampleTexture(const float p[3], const CloudField& field);

} // namespace nebulastra
