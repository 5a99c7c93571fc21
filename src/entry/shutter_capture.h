#pragma once
// The scene captures of a motion-blurred frame: the clouds are measured at a few moments of the
// open shutter to decide how many sub-frames the frame needs, then captured once per sub-frame.
// Everything here asks the host and runs on the host's calling thread, before any worker starts.

#include <vector>

#include "host/host_abi.h"
#include "records/render_settings.h"

namespace nebulastra {

/// The sub-frames of the frame `frame` describes (its parameters, and its scene as captured at the
/// frame's own time). Empty when the frame is drawn as it stands: the shutter is closed (no motion
/// blur, or an angle of 0), or nothing a cloud is drawn around moves more than about a pixel on
/// screen while it is open (render/shutter_samples.h), so a still scene stays the unblurred frame
/// to the bit. Otherwise n records, 2 <= n <= kMaxShutterSamples: sub-frame k at (k + 1/2) / n of
/// the open shutter, each with the frame's parameters, the lights and camera captured at its
/// moment and the noise's evolution at its time.
std::vector<RenderSettings> captureShutterSamples(const PF_InData* in_data, const RenderSettings& frame);

} // namespace nebulastra
