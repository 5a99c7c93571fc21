#pragma once
// A motion-blurred frame: the average of sub-frames rendered one after another over the open
// shutter, each from its own scene capture and time.

#include <cstdint>

#include "records/render_settings.h"
#include "render/render_control.h"
#include "render/render_image.h"

namespace nebulastra {

/// Renders the average of `count` sub-frames into `image`: sub-frame k is drawn from `samples[k]`
/// (the frame's parameters with the lights, camera and time of its moment). One sub-frame is
/// renderImage itself, to the bit. More are each rendered at float on the row workers, summed
/// pixel by pixel in sub-frame order on the calling thread, divided by `count` and converted to
/// the image's depth once: the same bits on every instruction set, thread count and platform.
///
/// The watch sees the whole frame: rows count up over all sub-frames (count x height in all), and
/// a stop asked for during or between sub-frames ends the frame at once (result false, the image
/// left unspecified). A count below 1 draws nothing and returns true.
bool renderBlurredImage(const RenderSettings* samples, int32_t count, const OutputImage& image,
                        const RenderWatch* watch = nullptr);

} // namespace nebulastra
