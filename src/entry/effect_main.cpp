#include "entry/effect_main.h"

#include "entry/effect_identity.h"
#include "entry/guarded_call.h"
#include "entry/handlers.h"
#include "params/params_setup.h"

namespace nebulastra {

PF_Err effectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                  PF_LayerDef* output, void* extra) noexcept {
    return callGuarded([&]() -> PF_Err {
        switch (cmd) {
        case PF_Cmd_ABOUT:
            return handleAbout(in_data, out_data);
        case PF_Cmd_GLOBAL_SETUP:
            handleGlobalSetup(in_data, out_data);
            return PF_Err_NONE;
        case PF_Cmd_PARAMS_SETUP:
            return handleParamsSetup(in_data, out_data, params, output);
        case PF_Cmd_RENDER:
            handleRender(in_data, params, output);
            return PF_Err_NONE;
        case PF_Cmd_SMART_PRE_RENDER:
            return handleSmartPreRender(in_data, static_cast<PF_PreRenderExtra*>(extra));
        case PF_Cmd_SMART_RENDER:
            return handleSmartRender(in_data, static_cast<PF_SmartRenderExtra*>(extra));
        default:
            // No global, sequence or frame data exists, so there is nothing to set up or
            // tear down for any other command.
            return PF_Err_NONE;
        }
    });
}

A_Err pluginDataEntry(PF_PluginDataPtr inPluginDataP, PF_PluginDataCB inPluginDataCallBackPtr) {
    if (inPluginDataCallBackPtr == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    auto text = [](const char* s) { return reinterpret_cast<const A_u_char*>(s); };
    return inPluginDataCallBackPtr(inPluginDataP, text(kEffectName), text(kMatchName), text(kCategory),
                                   text(kEntryPointName), static_cast<A_long>(kEffectKind),
                                   kInterfaceVersionMajor, kInterfaceVersionMinor, kReservedInfo);
}

} // namespace nebulastra
