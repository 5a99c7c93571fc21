#pragma once
// The rule that keeps exceptions inside the effect: a handler may throw an int error code, which
// the host receives unchanged; anything else thrown becomes PF_Err_INTERNAL_STRUCT_DAMAGED.

#include "host/host_types.h"

namespace nebulastra {

/// Runs `handler` (callable returning PF_Err) and turns whatever it throws into a PF_Err.
template <typename Handler>
PF_Err callGuarded(Handler&& handler) noexcept {
    try {
        return handler();
    } catch (int err) {
        return err;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

} // namespace nebulastra
