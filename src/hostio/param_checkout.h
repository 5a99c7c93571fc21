#pragma once
// The frame's parameter values, checked out from the host one by one at the frame's time.

#include <cstdint>
#include <cstring>

#include "host/host_indata.h"
#include "host/host_params.h"

namespace nebulastra {

/// Checks out parameters 1 .. SlotCount-1 (slot 0, the input layer, stays zeroed) into storage on
/// the caller's stack: no heap allocation per frame. A failing checkout does not stop the others;
/// the first error is kept. Whatever happens afterwards, the destructor checks in exactly the
/// parameters the host handed out.
template <int32_t SlotCount>
class CheckedOutParams {
public:
    explicit CheckedOutParams(PF_InData* in_data) : in_data_(in_data) {
        std::memset(slots_, 0, sizeof slots_);
        for (int32_t i = 0; i < SlotCount; ++i) {
            pointers_[i] = &slots_[i];
            checkedOut_[i] = false;
        }
        for (int32_t i = 1; i < SlotCount; ++i) {
            const PF_Err err =
                in_data_->inter.checkout_param(in_data_->effect_ref, i, in_data_->current_time,
                                               in_data_->time_step, in_data_->time_scale, &slots_[i]);
            if (err == PF_Err_NONE) {
                checkedOut_[i] = true;
            } else if (firstError_ == PF_Err_NONE) {
                firstError_ = err; // the first failure wins; keep going so the rest are tried
            }
        }
    }

    ~CheckedOutParams() {
        for (int32_t i = 1; i < SlotCount; ++i) {
            if (checkedOut_[i]) in_data_->inter.checkin_param(in_data_->effect_ref, &slots_[i]);
        }
    }

    CheckedOutParams(const CheckedOutParams&) = delete;
    CheckedOutParams& operator=(const CheckedOutParams&) = delete;

    PF_Err firstError() const { return firstError_; }
    const PF_ParamDef* const* params() const { return pointers_; }

private:
    PF_InData* in_data_;
    PF_ParamDef slots_[SlotCount];
    PF_ParamDef* pointers_[SlotCount];
    bool checkedOut_[SlotCount];
    PF_Err firstError_ = PF_Err_NONE;
};

} // namespace nebulastra
