#pragma once
// Scene capture: the frame's lights become cloud emitters, and the camera is read.

#include "host/host_indata.h"
#include "records/render_settings.h"

namespace nebulastra {

/// Fills settings.emitters / emitterCount and, through captureCamera, settings.camera from the
/// composition that holds the effect, at the frame's composition time.
///
/// Runs on the host's calling thread before any render worker starts; it is the only code that
/// reads the composition. Emitter k is the k-th qualifying light from the top of the layer stack
/// (at most kMaxEmitters): parallel, spot and point lights whose video is active at the frame's
/// time and, with settings.cloudPrefixOnly, whose name starts with "cloud". A
/// host suite that cannot be acquired (HostError) leaves the frame with no emitters and no camera,
/// and in Premiere Pro nothing is read at all; any other exception propagates.
void captureScene(const PF_InData* in_data, RenderSettings& settings);

/// captureScene at another moment than the frame's: `effectTime` in the effect's own time (as
/// in_data's current_time and time_scale count it, at any scale), converted to composition time
/// through the host like the frame's. A motion-blurred frame captures each of its sub-frames so.
void captureSceneAt(const PF_InData* in_data, const A_Time& effectTime, RenderSettings& settings);

} // namespace nebulastra
