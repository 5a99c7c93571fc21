#include "entry/effect_identity.h"
#include "entry/handlers.h"
#include "hostio/plugin_id.h"
#include "hostio/suite_cache.h"

namespace nebulastra {

static_assert(kEffectVersion ==
                  PF_VERSION(kVersionMajor, kVersionMinor, kVersionBugfix, PF_Stage_DEVELOP, kVersionBuild),
              "our version packing must agree with the host's");
static_assert(static_cast<A_long>(kEffectKind) == PF_KIND_EFFECT, "the effect kind is 'eFKT'");
static_assert(kOutFlags ==
                  (PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_USE_SHUTTER_ANGLE | PF_OutFlag_NON_PARAM_VARY),
              "the out_flags bits are the host's names for what the effect declares");
static_assert(kOutFlags2 == (PF_OutFlag2_SUPPORTS_THREADED_RENDERING | PF_OutFlag2_FLOAT_COLOR_AWARE |
                             PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_I_USE_3D_LIGHTS |
                             PF_OutFlag2_I_USE_3D_CAMERA),
              "the out_flags2 bits are the host's names for what the effect declares");

PF_Err handleGlobalSetup(PF_InData* in_data, PF_OutData* out_data) {
    // The same values as the PiPL, in every host.
    out_data->my_version = kEffectVersion;
    out_data->out_flags = kOutFlags;
    out_data->out_flags2 = kOutFlags2;

    // Premiere Pro has no AEGP layer: the plug-in ID stays 0 and clouds need no lights there.
    if (in_data->appl_id == PF_APPL_ID_PREMIERE) return PF_Err_NONE;

    try {
        SuiteCache suites(in_data->pica_basicP);
        // The call's own result is not consulted: without an ID the light-name filter simply
        // finds no names.
        suites.utilitySuite()->AEGP_RegisterWithAEGP(nullptr, kEffectName, &aegpPluginId);
    } catch (const HostError&) {
        aegpPluginId = 0; // no utility suite: no light names, every light passes the filter
    }
    return PF_Err_NONE;
}

} // namespace nebulastra
