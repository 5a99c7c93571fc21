// The library's only exported symbols. Everything else in the library is hidden (default
// visibility hidden on Linux; on Windows only dllexport-marked names and the .def file's list are
// exported), so the host sees exactly these two names.

#include <type_traits>

#include "entry/effect_main.h"

#if defined(_WIN32)
#define NEBULASTRA_EXPORT __declspec(dllexport)
#else
#define NEBULASTRA_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

NEBULASTRA_EXPORT A_Err PluginDataEntryFunction(PF_PluginDataPtr inPluginDataP,
                                                PF_PluginDataCB inPluginDataCallBackPtr,
                                                SPBasicSuite* /*inSPBasicSuitePtr*/,
                                                const char* /*inHostName*/, const char* /*inHostVersion*/) {
    return nebulastra::pluginDataEntry(inPluginDataP, inPluginDataCallBackPtr);
}

NEBULASTRA_EXPORT PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                    PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
    return nebulastra::effectMain(cmd, in_data, out_data, params, output, extra);
}

} // extern "C"

static_assert(std::is_same<decltype(&EffectMain), PF_EffectMainFunc>::value,
              "EffectMain must have the host's effect-entry signature");
static_assert(std::is_same<decltype(&PluginDataEntryFunction), PluginDataEntryFunctionFunc>::value,
              "PluginDataEntryFunction must have the host's plug-in data entry signature");
