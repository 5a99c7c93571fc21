#include <cstring>

#include "entry/handlers.h"

namespace nebulastra {

PF_Err handleSmartPreRender(PF_InData* in_data, PF_PreRenderExtra* extra) {
    PF_RenderRequest request = extra->input->output_request;
    PF_CheckoutResult checkout;
    std::memset(&checkout, 0, sizeof checkout);

    const PF_Err err = extra->cb->checkout_layer(in_data->effect_ref, 0 /*input layer*/,
                                                 0 /*checkout id*/, &request,
                                                 in_data->current_time, in_data->time_step,
                                                 in_data->time_scale, &checkout);

    // A generator: every requested pixel is produced, whatever the input layer's extent, and
    // even when the input could not be checked out.
    extra->output->result_rect = request.rect;
    extra->output->max_result_rect = request.rect;
    return err;
}

} // namespace nebulastra
