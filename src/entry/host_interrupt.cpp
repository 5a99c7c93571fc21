#include "entry/host_interrupt.h"

namespace nebulastra {

bool HostInterrupt::poll(void* self, int32_t rowsDone, int32_t rowsTotal) noexcept {
    HostInterrupt& h = *static_cast<HostInterrupt*>(self);
    const PF_InteractCallbacks& inter = h.in_data_->inter;
    if (inter.abort != nullptr) h.stopCode_ = inter.abort(h.in_data_->effect_ref);

    // Progress at a modest rate: the host may redraw something for it. The finished frame is
    // always reported, once; the first poll (nothing done yet) is not.
    const bool finished = rowsDone == rowsTotal && rowsTotal > 0;
    const bool due = (++h.polls_ % kPollsPerProgress == 0 && rowsDone > 0) || finished;
    if (h.stopCode_ == PF_Err_NONE && due && rowsDone != h.reportedRows_ && inter.progress != nullptr) {
        h.reportedRows_ = rowsDone;
        h.stopCode_ = inter.progress(h.in_data_->effect_ref, rowsDone, rowsTotal);
    }
    return h.stopCode_ != PF_Err_NONE;
}

} // namespace nebulastra
