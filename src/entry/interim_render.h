#pragma once
// INTERIM stand-in for renderFrame (render/render_frame.h), used by both render handlers until
// the real driver is wired in. It draws what the finished renderer draws when the comp has no
// lights: every pixel of the output transparent black, at the output's own depth. It performs
// no scene capture and shades nothing; replace the two calls with renderFrame when it lands.

#include "host/host_abi.h"
#include "params/render_settings.h"

namespace nebulastra {

void renderFrameInterim(PF_InData* in_data, PF_EffectWorld* input, PF_EffectWorld* output,
                        RenderSettings& settings);

} // namespace nebulastra
