#pragma once
// The frame driver: everything a frame needs from the host happens here, on the host's calling
// thread, before the renderer's workers start.

#include "host/host_abi.h"
#include "records/render_settings.h"

namespace nebulastra {

/// Captures the scene into `settings`, asks the output world's pixel format, then renders every
/// pixel of `output` at the world's depth (render/render_image.h). When in_data's shutter is open
/// and the clouds move, the frame is the average of sub-frames over the open shutter, each
/// captured at its own moment (entry/shutter_capture.h, render/blurred_image.h). The world may be part of the
/// frame `settings` describes: (originX, originY) is the frame pixel of its pixel (0, 0). While the
/// workers run, the host's abort and progress callbacks are polled on this thread; when the host
/// asks to stop, the workers are stopped and joined and its code is thrown as HostError.
void driveFrame(PF_InData* in_data, PF_EffectWorld* output, RenderSettings& settings, int32_t originX = 0,
                int32_t originY = 0);

} // namespace nebulastra
