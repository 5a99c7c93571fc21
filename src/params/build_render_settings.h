#pragma once
// The per-frame snapshot of the effect's parameters in render units.

#include "host/host_indata.h"
#include "host/host_params.h"
#include "host/host_world.h"
#include "params/render_settings.h"

namespace nebulastra {

/// Converts the parameter values of one frame into a RenderSettings.
///
/// `params` holds 63 pointers (index 0, the input layer, is not read; 1 to 62 must all be
/// valid). Reads only each parameter's value member, the output world's width and height, and
/// in_data's height, downsample_x/y, current_time and time_scale. Makes no host call and cannot
/// fail: out-of-range values the host may still deliver are clamped. The emitter list and the
/// camera are left all-zero for scene capture to fill.
RenderSettings buildRenderSettings(const PF_ParamDef* const* params, const PF_EffectWorld* output,
                                   const PF_InData* in_data);

/// Full-resolution size of an output dimension under the host's downsample factor (numerator
/// below 1 is treated as 1/1); at least 1, falling back to `size` itself when it is positive.
int32_t fullResolutionSize(int32_t size, PF_RationalScale downsample);

} // namespace nebulastra
