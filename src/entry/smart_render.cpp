#include "entry/frame_driver.h"
#include "entry/handlers.h"
#include "hostio/param_checkout.h"
#include "params/build_render_settings.h"
#include "params/param_table.h"

namespace nebulastra {

PF_Err handleSmartRender(PF_InData* in_data, PF_SmartRenderExtra* extra) {
    PF_EffectWorld* input = nullptr;
    PF_Err err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
    if (err != PF_Err_NONE) return err;

    PF_EffectWorld* output = nullptr;
    err = extra->cb->checkout_output(in_data->effect_ref, &output);
    if (err != PF_Err_NONE) return err;
    if (output == nullptr) return PF_Err_NONE;

    CheckedOutParams<kParamSlotCount> params(in_data);
    if (params.firstError() != PF_Err_NONE) return params.firstError(); // output left as given

    // The output world is the part of the layer pre-render promised: its origin is the layer
    // pixel (at the current downsample) of its own pixel (0, 0), and the view rays span the whole
    // layer, so a region renders exactly the pixels the whole frame has there. A host that leaves
    // the layer's size at 0 gets the world taken as the whole layer.
    LayerSize layer = downsampledLayerSize(in_data);
    int32_t originX = output->origin_x;
    int32_t originY = output->origin_y;
    if (layer.width < 1 || layer.height < 1) {
        layer = LayerSize{output->width, output->height};
        originX = 0;
        originY = 0;
    }
    RenderSettings settings = buildRenderSettings(params.params(), layer.width, layer.height, in_data);
    driveFrame(in_data, output, settings, originX, originY);
    // The input world is not checked back in: the host reclaims smart-render checkouts itself.
    return PF_Err_NONE;
}

} // namespace nebulastra
