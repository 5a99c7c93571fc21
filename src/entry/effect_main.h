#pragma once
// The effect's two entry points, as the exported C functions forward to them.

#include "host/host_entry.h"

namespace nebulastra {

/// PF command dispatcher behind the exported EffectMain. Handles PF_Cmd_ABOUT, GLOBAL_SETUP,
/// PARAMS_SETUP, RENDER, SMART_PRE_RENDER and SMART_RENDER; every other selector (negative ones
/// and those past the last command included) returns PF_Err_NONE without touching anything.
/// Never lets an exception escape: see callGuarded.
PF_Err effectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                  PF_LayerDef* output, void* extra) noexcept;

/// Behind the exported PluginDataEntryFunction: describes the effect to the host through its
/// plug-in data callback, once, and returns the callback's result unchanged.
A_Err pluginDataEntry(PF_PluginDataPtr inPluginDataP, PF_PluginDataCB inPluginDataCallBackPtr);

} // namespace nebulastra
