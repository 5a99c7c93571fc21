#include <algorithm>
#include <cstring>

#include "entry/handlers.h"
#include "params/build_render_settings.h"

namespace nebulastra {
namespace {

/// The part of `a` inside `b`; all zero when they do not meet.
PF_LRect intersection(const PF_LRect& a, const PF_LRect& b) {
    const PF_LRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return PF_LRect{0, 0, 0, 0};
    return r;
}

} // namespace

PF_Err handleSmartPreRender(PF_InData* in_data, PF_PreRenderExtra* extra) {
    PF_RenderRequest request = extra->input->output_request;
    PF_CheckoutResult checkout;
    std::memset(&checkout, 0, sizeof checkout);

    const PF_Err err =
        extra->cb->checkout_layer(in_data->effect_ref, 0 /*input layer*/, 0 /*checkout id*/, &request,
                                  in_data->current_time, in_data->time_step, in_data->time_scale, &checkout);

    // A generator draws the whole layer whatever the input layer holds, and even when the input
    // could not be checked out. The host requires the most it can produce not to depend on the
    // request, so that is the layer itself at the current downsample; the result is the part of
    // the request that lies on the layer, possibly nothing.
    const LayerSize layer = downsampledLayerSize(in_data);
    const PF_LRect wholeLayer{0, 0, layer.width, layer.height};
    extra->output->result_rect = intersection(request.rect, wholeLayer);
    extra->output->max_result_rect = wholeLayer;
    return err;
}

} // namespace nebulastra
