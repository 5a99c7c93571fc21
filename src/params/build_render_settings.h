#pragma once
// The per-frame snapshot of the effect's parameters in render units.

#include "host/host_indata.h"
#include "host/host_params.h"
#include "host/host_world.h"
#include "records/render_settings.h"

namespace nebulastra {

/// Converts the parameter values of one frame into a RenderSettings.
///
/// `params` holds 63 pointers (index 0, the input layer, is not read; 1 to 62 must all be
/// valid). `frameWidth` x `frameHeight` is the whole layer at the current downsample, the frame
/// the view rays span (outputWidth/outputHeight); the host may ask for only part of it. Reads only
/// each parameter's value member and in_data's height, downsample_x/y, current_time and
/// time_scale. Makes no host call and cannot fail: out-of-range values the host may still deliver
/// are clamped. The emitter list and the camera are left all-zero for scene capture to fill.
RenderSettings buildRenderSettings(const PF_ParamDef* const* params, int32_t frameWidth, int32_t frameHeight,
                                   const PF_InData* in_data);

/// The same for an output world that is the whole layer (PF_Cmd_RENDER): its width and height.
RenderSettings buildRenderSettings(const PF_ParamDef* const* params, const PF_EffectWorld* output,
                                   const PF_InData* in_data);

/// Full-resolution size of an output dimension under the host's downsample factor (numerator
/// below 1 is treated as 1/1); at least 1, falling back to `size` itself when it is positive.
int32_t fullResolutionSize(int32_t size, PF_RationalScale downsample);

/// A layer's size in pixels at the current downsample.
struct LayerSize {
    int32_t width;
    int32_t height;
};

/// One full-resolution dimension under the host's downsample factor num/den: the ceiling of
/// size x num / den, so a partly covered last pixel still counts (25 pixels at 1/2 give 13).
/// A numerator below 1 (or a zero denominator) counts as 1/1; a size below 1 gives 0.
int32_t downsampledSize(int32_t fullSize, PF_RationalScale downsample);

/// The whole layer at the current downsample: in_data's width and height (the layer at full
/// resolution, whatever the downsample) through downsampledSize with downsample_x / downsample_y.
/// Smart pre-render declares this as the most it can produce; smart render places the output
/// world in it.
LayerSize downsampledLayerSize(const PF_InData* in_data);

} // namespace nebulastra
