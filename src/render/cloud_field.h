#pragma once
// The frame record: everything the kernel reads (view rays, ray marcher, density field, colour),
// built once from the frame's RenderSettings on the host's thread before any worker starts, then
// shared read-only. It holds the snapshot and its preparation side by side, each as it was
// built; what the kernel derives from them further (reach, thresholds, phases of the secondary
// noises) it computes where it uses them, from these two alone. Plain data with no pointers and
// no host types.

#include "render/prepared_frame.h"

namespace nebulastra {

struct CloudField {
    /// The frame's snapshot with the emitters captured, its emitterCount kept within the arrays.
    RenderSettings settings;
    /// prepareFrame(settings): the per-emitter constants and the frame-wide noise values.
    PreparedFrame prepared;
};

/// Builds the frame record. `settings` must already hold the captured emitters.
CloudField makeCloudField(const RenderSettings& settings);

} // namespace nebulastra
