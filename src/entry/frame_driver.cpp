#include "entry/frame_driver.h"

#include "hostio/pixel_format.h"
#include "render/render_image.h"
#include "scene/capture_scene.h"

namespace nebulastra {
namespace {

OutputDepth depthOf(PF_PixelFormat format) {
    if (format == PF_PixelFormat_ARGB128) return OutputDepth::Float;
    if (format == PF_PixelFormat_ARGB64) return OutputDepth::Bits16;
    return OutputDepth::Bits8; // ARGB32, INVALID and anything unknown
}

} // namespace

void driveFrame(PF_InData* in_data, PF_EffectWorld* output, RenderSettings& settings, int32_t originX,
                int32_t originY) {
    captureScene(in_data, settings); // emitters and camera; every later step sees them
    const OutputImage image{static_cast<unsigned char*>(output->data),
                            static_cast<std::ptrdiff_t>(output->rowbytes),
                            output->width,
                            output->height,
                            originX,
                            originY,
                            depthOf(queryPixelFormat(in_data, output))};
    renderImage(settings, image);
}

} // namespace nebulastra
