// The callbacks of in_data.inter and of the smart-render extras: parameter declaration and
// checkout, the host's interrupt callbacks, the pre-render layer checkout and the smart-render
// pixel and output checkouts, each slot's answer written where the slot is filled; and the plug-in
// data callback of registration.
#include <algorithm>
#include <string>

#include "leanhost/lean_session.h"

namespace nebulastra::leanhost {
namespace {

// What abort (or, with stopThroughProgress, progress) answers: stopAnswer once the owner of the
// host asks to stop (a user's Escape for the render tool), else PF_Err_NONE.
PF_Err stopAnswer(const Session* s, bool fromProgress) {
    if (s == nullptr || fromProgress != s->interrupts.stopThroughProgress || !s->interrupts.stopRequested)
        return PF_Err_NONE;
    return s->interrupts.stopRequested() ? s->interrupts.stopAnswer : PF_Err_NONE;
}

} // namespace

std::int32_t pluginDataCallback(PF_PluginData*, const unsigned char*, const unsigned char*,
                                const unsigned char*, const unsigned char*, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t) {
    return A_Err_NONE; // the tool has no menu to put the effect in
}

PF_InteractCallbacks interactCallbacks() {
    PF_InteractCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.add_param = [](PF_ProgPtr, PF_ParamIndex, PF_ParamDef* def) -> PF_Err {
        Session* s = activeSession();
        if (s == nullptr || def == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        PF_ParamDef& copy = s->declared.emplace_back();
        std::memcpy(&copy, def, sizeof copy);
        // The copy points at the host's own copy of its text, not at the effect's memory.
        if (def->param_type == PF_Param_CHECKBOX && def->u.bd.u.nameptr != nullptr)
            copy.u.bd.u.nameptr = s->declaredText.emplace_back(def->u.bd.u.nameptr).c_str();
        if (def->param_type == PF_Param_POPUP && def->u.pd.u.namesptr != nullptr)
            copy.u.pd.u.namesptr = s->declaredText.emplace_back(def->u.pd.u.namesptr).c_str();
        return PF_Err_NONE;
    };
    t.checkout_param = [](PF_ProgPtr, PF_ParamIndex index, A_long what_time, A_long, A_u_long time_scale,
                          PF_ParamDef* param) -> PF_Err {
        Session* s = activeSession();
        if (s == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        if (index < 0 || index > static_cast<PF_ParamIndex>(s->declared.size())) return PF_Err_INVALID_INDEX;
        const PF_ParamDef value = s->paramValue(index, what_time, time_scale);
        std::memcpy(param, &value, sizeof value);
        return PF_Err_NONE;
    };
    t.checkin_param = [](PF_ProgPtr, PF_ParamDef*) -> PF_Err { return PF_Err_NONE; };
    // The user's word reaches the effect through abort; progress reports how far the frame has got.
    t.abort = [](PF_ProgPtr) { return stopAnswer(activeSession(), false); };
    t.progress = [](PF_ProgPtr, A_long current, A_long total) {
        const Session* s = activeSession();
        if (s != nullptr && s->interrupts.progress) s->interrupts.progress(current, total);
        return stopAnswer(s, true);
    };
    return t;
}

PF_PreRenderCallbacks preRenderCallbacks() {
    PF_PreRenderCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.checkout_layer = [](PF_ProgPtr, PF_ParamIndex index, A_long, const PF_RenderRequest* req, A_long,
                          A_long, A_u_long, PF_CheckoutResult* checkout_result) -> PF_Err {
        Session* s = activeSession();
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
    };
    return t;
}

PF_SmartRenderCallbacks smartRenderCallbacks() {
    PF_SmartRenderCallbacks t;
    fillUnserved<PF_Err_INVALID_CALLBACK>(t);
    t.checkout_layer_pixels = [](PF_ProgPtr, A_long, PF_EffectWorld** pixels) -> PF_Err {
        Session* s = activeSession();
        if (s == nullptr || pixels == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *pixels = s->inputWorld.def;
        return PF_Err_NONE;
    };
    t.checkin_layer_pixels = [](PF_ProgPtr, A_long) -> PF_Err { return PF_Err_NONE; };
    t.checkout_output = [](PF_ProgPtr, PF_EffectWorld** output) -> PF_Err {
        Session* s = activeSession();
        if (s == nullptr || output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *output = s->outputWorld.def;
        return PF_Err_NONE;
    };
    return t;
}

} // namespace nebulastra::leanhost
