#pragma once
// The pixel format of an output world, as the host reports it.

#include "host/host_indata.h"
#include "host/host_world.h"

namespace nebulastra {

/// The world's pixel format through "PF World Suite" 2, or PF_PixelFormat_INVALID when the host
/// does not offer the suite (which renders through the 8-bit path). The suite is acquired through
/// a SuiteCache of its own and released before the return.
PF_PixelFormat queryPixelFormat(const PF_InData* in_data, const PF_EffectWorld* world);

} // namespace nebulastra
