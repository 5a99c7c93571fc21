#pragma once
// The host's abort and progress callbacks (in_data->inter) as the renderer's watch: the renderer
// calls it on the host's calling thread while its workers run, and this is the only place that
// passes the question on to the host.

#include "host/host_abi.h"
#include "render/render_control.h"

namespace nebulastra {

/// Asks the host, at every poll, whether to stop (abort), and tells it every few polls how many
/// rows are done (progress). A non-zero answer from either is the host's request to stop: it is
/// kept as stopCode(), which the command must return. A null callback is not called.
class HostInterrupt {
public:
    /// Progress is reported every this many polls (about every 32 ms at the renderer's interval),
    /// and once more for the finished frame.
    static constexpr int kPollsPerProgress = 8;

    explicit HostInterrupt(const PF_InData* in_data) : in_data_(in_data) {}

    RenderWatch watch() { return RenderWatch{&poll, this, kDefaultWatchIntervalMs}; }
    /// PF_Err_NONE, or the first non-zero answer of abort or progress.
    PF_Err stopCode() const { return stopCode_; }

private:
    static bool poll(void* self, int32_t rowsDone, int32_t rowsTotal) noexcept;

    const PF_InData* in_data_;
    PF_Err stopCode_ = PF_Err_NONE;
    int polls_ = 0;
    int32_t reportedRows_ = -1;
};

} // namespace nebulastra
