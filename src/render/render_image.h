#pragma once
// The renderer's entry: one frame's records in, pixels out. Knows nothing of the host; the frame
// driver (entry/frame_driver.h) captures the scene and asks the pixel format before calling it.

#include <cstddef>
#include <cstdint>

#include "records/render_settings.h"
#include "render/render_control.h"
#include "render/render_rows.h"
#include "render/simd/packet_kernel.h"

namespace nebulastra {

/// Where the pixels go: `height` rows of `width` pixels at the given depth, `rowbytes` apart.
/// The image may be part of the frame the settings describe: (originX, originY) is the frame pixel
/// of its pixel (0, 0); an image that is the whole frame has origin (0, 0).
struct OutputImage {
    unsigned char* data;
    std::ptrdiff_t rowbytes;
    int32_t width;
    int32_t height;
    int32_t originX;
    int32_t originY;
    OutputDepth depth;
};

/// The context a frame of `field` into `image` is drawn with: the image's rows, the depth's pixel
/// store and the process's kernel build, kernelFor(renderIsa()), whose shadeRows draws it.
FrameContext frameContext(const OutputImage& image, const CloudField& field);

/// Prepares the frame and renders every pixel of `image` on worker threads, all joined before the
/// return. With a `watch`, the calling thread polls it while the workers run and stops them when
/// it says so; the result is then false and the image holds an unspecified part of the frame.
/// True: every pixel was written. A worker thread that cannot be started surfaces as
/// std::system_error after the running ones have been joined.
bool renderImage(const RenderSettings& settings, const OutputImage& image,
                 const RenderWatch* watch = nullptr);

} // namespace nebulastra
