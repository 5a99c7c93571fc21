#pragma once
// The first step of compositeEmitterColor (composite_color.h): the overlap blend.

#include "render/cloud_field.h"

namespace nebulastra {

/// Blends the linear colours of the emitters whose optical length exceeds 1e-6 by the overlap
/// mode. Returns false, with black in rgb, when no emitter was met.
bool blendEmitterColors(const float E[kMaxEmitters], const CloudField& field, float rgb[3]);

} // namespace nebulastra
