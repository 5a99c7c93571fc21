#include "entry/effect_identity.h"
#include "entry/handlers.h"
#include "hostio/suite_cache.h"

namespace nebulastra {

PF_Err handleAbout(PF_InData* in_data, PF_OutData* out_data) {
    if (in_data->appl_id == PF_APPL_ID_PREMIERE) return PF_Err_NONE;

    SuiteCache suites(in_data->pica_basicP);
    // "Nebulastra, v2.9" CR "Volumetric 3D clouds driven by comp lights." -- well within the
    // 256 bytes of return_msg.
    suites.ansiSuite()->sprintf(out_data->return_msg, "%s, v%d.%d\r%s", kEffectName,
                                static_cast<int>(kVersionMajor), static_cast<int>(kVersionMinor),
                                kDescription);
    return PF_Err_NONE;
}

} // namespace nebulastra
