#include "entry/frame_driver.h"
#include "entry/handlers.h"
#include "params/build_render_settings.h"

namespace nebulastra {

PF_Err handleRender(PF_InData* in_data, PF_ParamDef* params[], PF_LayerDef* output) {
    // Lives on this stack for the one frame; scene capture completes it inside the driver. The
    // output world here is always the whole layer, so its own size spans the view rays and its
    // pixel (0, 0) is the layer's.
    RenderSettings settings = buildRenderSettings(params, output, in_data);
    driveFrame(in_data, output, settings);
    return PF_Err_NONE;
}

} // namespace nebulastra
