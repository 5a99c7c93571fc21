// Signatures of the two functions the host looks up in the effect's library.
//
// The library exports both with C linkage (and __declspec(dllexport) on Windows); on x64 there is
// no name decoration, so the exported names are exactly "EffectMain" and
// "PluginDataEntryFunction". The effect-entry name must match the PiPL's code property and the
// name passed to the plug-in data callback.
#pragma once

#include "host/host_indata.h"
#include "host/host_params.h"
#include "host/host_suites.h"
#include "host/host_types.h"
#include "host/host_world.h"

extern "C" {

// The effect's command entry: one call per command selector. extra is selector-specific
// (PF_PreRenderExtra* for PF_Cmd_SMART_PRE_RENDER, PF_SmartRenderExtra* for PF_Cmd_SMART_RENDER)
// and may be null for commands without extra data.
typedef PF_Err (*PF_EffectMainFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamList params,
                                    PF_LayerDef* output, void* extra);

// Callback through which PluginDataEntryFunction describes the effect to the host. Strings are
// NUL-terminated 8-bit text. Its result is the entry function's result.
typedef A_Err (*PF_PluginDataCB)(PF_PluginDataPtr inPtr, const A_u_char* inNodeName,
                                 const A_u_char* inMatchName, const A_u_char* inCategoryName,
                                 const A_u_char* inEntryPointName, A_long inPluginType,
                                 A_long inPluginAPIVersionMajor, A_long inPluginAPIVersionMinor,
                                 A_long inReservedInfo);

// Second variant, adding a support URL (interface level 13.28 and later). Not used by this effect.
typedef A_Err (*PF_PluginDataCB2)(PF_PluginDataPtr inPtr, const A_u_char* inNodeName,
                                  const A_u_char* inMatchName, const A_u_char* inCategoryName,
                                  const A_u_char* inEntryPointName, A_long inPluginType,
                                  A_long inPluginAPIVersionMajor, A_long inPluginAPIVersionMinor,
                                  A_long inReservedInfo, const A_u_char* inSupportURL);

// "PluginDataEntryFunction": called once at load so the effect can register its identity.
// inPluginDataP must be passed back unchanged to the callback.
typedef A_Err (*PluginDataEntryFunctionFunc)(PF_PluginDataPtr inPluginDataP,
                                             PF_PluginDataCB inPluginDataCallBackPtr,
                                             SPBasicSuite* inSPBasicSuitePtr, const char* inHostName,
                                             const char* inHostVersion);

// "PluginDataEntryFunction2": same, with the second callback variant.
typedef A_Err (*PluginDataEntryFunction2Func)(PF_PluginDataPtr inPluginDataP,
                                              PF_PluginDataCB2 inPluginDataCallBackPtr,
                                              SPBasicSuite* inSPBasicSuitePtr, const char* inHostName,
                                              const char* inHostVersion);

} // extern "C"
