#include <cstring>

#include "entry/frame_driver.h"
#include "entry/handlers.h"
#include "params/build_render_settings.h"
#include "params/param_table.h"

namespace nebulastra {
namespace {

// The frame's parameter values, checked out one by one at the frame's time. All storage is on
// the handler's stack (no heap allocation per frame). Whatever happens after the checkout, the
// destructor checks in exactly the parameters the host handed out.
class CheckedOutParams {
public:
    explicit CheckedOutParams(PF_InData* in_data) : in_data_(in_data) {
        std::memset(slots_, 0, sizeof slots_); // slot 0, the input layer, stays zeroed
        for (int32_t i = 0; i < kParamSlotCount; ++i) {
            pointers_[i] = &slots_[i];
            checkedOut_[i] = false;
        }
        for (int32_t i = 1; i < kParamSlotCount; ++i) {
            const PF_Err err = in_data_->inter.checkout_param(
                in_data_->effect_ref, i, in_data_->current_time, in_data_->time_step,
                in_data_->time_scale, &slots_[i]);
            if (err == PF_Err_NONE) {
                checkedOut_[i] = true;
            } else if (firstError_ == PF_Err_NONE) {
                firstError_ = err; // the first failure wins; keep going so the rest are tried
            }
        }
    }

    ~CheckedOutParams() {
        for (int32_t i = 1; i < kParamSlotCount; ++i) {
            if (checkedOut_[i]) in_data_->inter.checkin_param(in_data_->effect_ref, &slots_[i]);
        }
    }

    CheckedOutParams(const CheckedOutParams&) = delete;
    CheckedOutParams& operator=(const CheckedOutParams&) = delete;

    PF_Err firstError() const { return firstError_; }
    const PF_ParamDef* const* params() const { return pointers_; }

private:
    PF_InData* in_data_;
    PF_ParamDef slots_[kParamSlotCount];
    PF_ParamDef* pointers_[kParamSlotCount];
    bool checkedOut_[kParamSlotCount];
    PF_Err firstError_ = PF_Err_NONE;
};

} // namespace

PF_Err handleSmartRender(PF_InData* in_data, PF_SmartRenderExtra* extra) {
    PF_EffectWorld* input = nullptr;
    PF_Err err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
    if (err != PF_Err_NONE) return err;

    PF_EffectWorld* output = nullptr;
    err = extra->cb->checkout_output(in_data->effect_ref, &output);
    if (err != PF_Err_NONE) return err;
    if (output == nullptr) return PF_Err_NONE;

    CheckedOutParams params(in_data);
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
