#pragma once
// Command handlers of the dispatcher (parameter setup lives with the parameter table, in
// params/params_setup.h). Each may throw HostError; effectMain turns it into the result.

#include "host/host_abi.h"

namespace nebulastra {

/// PF_Cmd_GLOBAL_SETUP: writes version and flags, then registers with AEGP for the plug-in ID
/// (skipped in Premiere Pro; a refused utility suite leaves the ID at 0). Always PF_Err_NONE.
PF_Err handleGlobalSetup(PF_InData* in_data, PF_OutData* out_data);

/// PF_Cmd_ABOUT: the About text into out_data->return_msg via the host's ANSI sprintf. Writes
/// nothing in Premiere Pro. Throws HostError(516) when the ANSI suite is refused.
PF_Err handleAbout(PF_InData* in_data, PF_OutData* out_data);

/// PF_Cmd_RENDER: snapshot of the host's params array, then the frame.
PF_Err handleRender(PF_InData* in_data, PF_ParamDef* params[], PF_LayerDef* output);

/// PF_Cmd_SMART_PRE_RENDER: checks out the input layer; declares the whole layer at the current
/// downsample as max_result_rect and the part of the request on it as result_rect (empty when the
/// request misses the layer). Returns the checkout's error.
PF_Err handleSmartPreRender(PF_InData* in_data, PF_PreRenderExtra* extra);

/// PF_Cmd_SMART_RENDER: checks out input, output and parameters 1 to 62, renders when every
/// checkout succeeded, checks in exactly the parameters it checked out. Returns the first error.
/// The output world may be any part of the layer; its origin_x/origin_y place it.
PF_Err handleSmartRender(PF_InData* in_data, PF_SmartRenderExtra* extra);

} // namespace nebulastra
