#include "entry/frame_driver.h"

#include "entry/host_interrupt.h"
#include "entry/shutter_capture.h"
#include "hostio/host_error.h"
#include "hostio/pixel_format.h"
#include "render/blurred_image.h"
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
    // With the layer's motion blur on, the sub-frames' scenes too, all before any worker starts.
    const std::vector<RenderSettings> subFrames = captureShutterSamples(in_data, settings);
    const OutputImage image{static_cast<unsigned char*>(output->data),
                            static_cast<std::ptrdiff_t>(output->rowbytes),
                            output->width,
                            output->height,
                            originX,
                            originY,
                            depthOf(queryPixelFormat(in_data, output))};
    // The host may ask, through abort or progress, to stop a frame it no longer needs. A frame
    // stopped part way is only part drawn: the command then fails with the host's own code, so
    // the host can never take it for a finished frame.
    HostInterrupt interrupt(in_data);
    const RenderWatch watch = interrupt.watch();
    if (subFrames.empty()) {
        renderImage(settings, image, &watch);
    } else {
        renderBlurredImage(subFrames.data(), static_cast<int32_t>(subFrames.size()), image, &watch);
    }
    if (interrupt.stopCode() != PF_Err_NONE) throw HostError(interrupt.stopCode());
}

} // namespace nebulastra
