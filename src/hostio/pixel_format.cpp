#include "hostio/pixel_format.h"

#include "hostio/suite_cache.h"

namespace nebulastra {

PF_PixelFormat queryPixelFormat(const PF_InData* in_data, const PF_EffectWorld* world) {
    PF_PixelFormat format = PF_PixelFormat_INVALID;
    if (in_data == nullptr) return format;
    try {
        SuiteCache suites(in_data->pica_basicP);
        const PF_WorldSuite2* worldSuite = suites.worldSuite();
        if (worldSuite->PF_GetPixelFormat != nullptr) {
            worldSuite->PF_GetPixelFormat(world, &format); // its error code is not consulted
        }
    } catch (const HostError&) {
        // No world suite: the caller renders 8-bit.
    }
    return format;
}

} // namespace nebulastra
