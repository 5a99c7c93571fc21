#pragma once
// The frame driver: everything that needs the host happens here, on the host's calling thread,
// before the row workers start. The only renderer file that sees host types.

#include "host/host_abi.h"
#include "params/render_settings.h"

namespace nebulastra {

/// Captures the scene into `settings`, asks the output world's pixel format, prepares the frame
/// and renders every output pixel at the world's depth on worker threads, all joined before the
/// return. The world may be part of the frame `settings` describes: (originX, originY) is the
/// frame pixel of its pixel (0, 0); a world that is the whole frame has origin (0, 0). The input
/// world is never read. A worker thread that cannot be started surfaces as std::system_error
/// after the running ones have been joined.
void renderFrame(PF_InData* in_data, PF_EffectWorld* input, PF_EffectWorld* output, RenderSettings& settings,
                 int32_t originX = 0, int32_t originY = 0);

} // namespace nebulastra
