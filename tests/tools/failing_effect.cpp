// A stand-in effect library that loads, registers and sets up like the real one and then fails
// every frame with PF_Err_OUT_OF_MEMORY: what a host sees when an effect cannot render. The render
// tool's tests load it with --effect to check how a failed frame is reported.

#include "host/host_abi.h"

extern "C" {

__attribute__((visibility("default"))) A_Err PluginDataEntryFunction(PF_PluginDataPtr data,
                                                                     PF_PluginDataCB callback, SPBasicSuite*,
                                                                     const char*, const char*) {
    return callback(data, reinterpret_cast<const A_u_char*>("Failing"),
                    reinterpret_cast<const A_u_char*>("Failing"), reinterpret_cast<const A_u_char*>("Test"),
                    reinterpret_cast<const A_u_char*>("EffectMain"), PF_KIND_EFFECT, 13, 28, 8);
}

__attribute__((visibility("default"))) PF_Err EffectMain(PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef**,
                                                         PF_LayerDef*, void*) {
    const bool frame = cmd == PF_Cmd_RENDER || cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER;
    return frame ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}

} // extern "C"
