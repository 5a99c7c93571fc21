// The callbacks of in_data.inter and of the smart-render extras: parameter declaration and
// checkout, the pre-render layer checkout and the smart-render pixel and output checkouts.
#include <algorithm>
#include <string>

#include "leanhost/lean_state.h"

namespace nebulastra::leanhost {
namespace {

using State = LeanHost::State;

PF_Err addParam(PF_ProgPtr, PF_ParamIndex, PF_ParamDef* def) {
    State* s = activeHost();
    if (s == nullptr || def == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    PF_ParamDef& copy = s->declared.emplace_back();
    std::memcpy(&copy, def, sizeof copy);
    // The copy points at the host's own copy of its text, not at the effect's memory.
    if (def->param_type == PF_Param_CHECKBOX && def->u.bd.u.nameptr != nullptr)
        copy.u.bd.u.nameptr = s->declaredText.emplace_back(def->u.bd.u.nameptr).c_str();
    if (def->param_type == PF_Param_POPUP && def->u.pd.u.namesptr != nullptr)
        copy.u.pd.u.namesptr = s->declaredText.emplace_back(def->u.pd.u.namesptr).c_str();
    return PF_Err_NONE;
}

PF_Err checkoutParam(PF_ProgPtr, PF_ParamIndex index, A_long what_time, A_long, A_u_long time_scale,
                     PF_ParamDef* param) {
    State* s = activeHost();
    if (s == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if (index < 0 || index > static_cast<PF_ParamIndex>(s->declared.size())) return PF_Err_INVALID_INDEX;
    const PF_ParamDef value = s->paramValue(index, what_time, time_scale);
    std::memcpy(param, &value, sizeof value);
    return PF_Err_NONE;
}

PF_Err checkinParam(PF_ProgPtr, PF_ParamDef*) { return PF_Err_NONE; }

PF_Err checkoutLayer(PF_ProgPtr, PF_ParamIndex index, A_long, const PF_RenderRequest* req, A_long, A_long,
                     A_u_long, PF_CheckoutResult* checkout_result) {
    State* s = activeHost();
    if (s == nullptr || req == nullptr || checkout_result == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if (index != 0) return PF_Err_INVALID_INDEX;
    // The input layer delivers the requested rectangle where it overlaps the layer.
    const A_long width = s->inData.extent_hint.right;
    const A_long height = s->inData.extent_hint.bottom;
    std::memset(checkout_result, 0, sizeof *checkout_result);
    checkout_result->result_rect =
        PF_LRect{std::max<A_long>(req->rect.left, 0), std::max<A_long>(req->rect.top, 0),
                 std::min<A_long>(req->rect.right, width), std::min<A_long>(req->rect.bottom, height)};
    checkout_result->max_result_rect = PF_LRect{0, 0, width, height};
    checkout_result->par = PF_RationalScale{1, 1};
    checkout_result->ref_width = s->inData.width;
    checkout_result->ref_height = s->inData.height;
    return PF_Err_NONE;
}

PF_Err checkoutLayerPixels(PF_ProgPtr, A_long, PF_EffectWorld** pixels) {
    State* s = activeHost();
    if (s == nullptr || pixels == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    *pixels = &s->input.def;
    return PF_Err_NONE;
}

PF_Err checkinLayerPixels(PF_ProgPtr, A_long) { return PF_Err_NONE; }

PF_Err checkoutOutput(PF_ProgPtr, PF_EffectWorld** output) {
    State* s = activeHost();
    if (s == nullptr || output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    *output = &s->output.def;
    return PF_Err_NONE;
}

} // namespace

PF_InteractCallbacks interactCallbacks() {
    PF_InteractCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.checkout_param = &checkoutParam;
    t.checkin_param = &checkinParam;
    t.add_param = &addParam;
    t.abort = &abortCallback;
    t.progress = &progressCallback;
    return t;
}

PF_PreRenderCallbacks preRenderCallbacks() {
    PF_PreRenderCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.checkout_layer = &checkoutLayer;
    return t;
}

PF_SmartRenderCallbacks smartRenderCallbacks() {
    PF_SmartRenderCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.checkout_layer_pixels = &checkoutLayerPixels;
    t.checkin_layer_pixels = &checkinLayerPixels;
    t.checkout_output = &checkoutOutput;
    return t;
}

} // namespace nebulastra::leanhost
