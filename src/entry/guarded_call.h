#pragma once
// The rule that keeps exceptions inside the effect: a handler may throw HostError, whose code the
// host receives unchanged; an exhausted heap becomes PF_Err_OUT_OF_MEMORY and anything else
// thrown PF_Err_INTERNAL_STRUCT_DAMAGED. No failure turns into an empty frame reported as success.

#include <new>

#include "host/host_types.h"
#include "hostio/host_error.h"

namespace nebulastra {

/// Runs `handler` (callable returning PF_Err) and turns whatever it throws into a PF_Err.
template <typename Handler>
PF_Err callGuarded(Handler&& handler) noexcept {
    try {
        return handler();
    } catch (const HostError& error) {
        return error.code();
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

} // namespace nebulastra
