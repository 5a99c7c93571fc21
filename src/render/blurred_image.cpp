// Sub-frames at float, summed in a fixed order, stored once at the output's depth.

#include "render/blurred_image.h"

#include <cstddef>
#include <limits>
#include <vector>

#include "render/render_rows.h"

namespace nebulastra {
namespace {

constexpr int32_t kFloatPixelBytes = 16; // alpha, red, green, blue as floats

// The frame's watch as one sub-frame's: its rows are counted after those of the sub-frames
// before it, out of the rows of all of them.
struct SubFrameWatch {
    const RenderWatch* frame;
    int64_t rowsBefore;
    int64_t rowsTotal;

    static int32_t rows(int64_t n) {
        return n < std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(n)
                                                       : std::numeric_limits<int32_t>::max();
    }
    static bool poll(void* self, int32_t rowsDone, int32_t) noexcept {
        const SubFrameWatch& w = *static_cast<const SubFrameWatch*>(self);
        return w.frame->poll(w.frame->context, rows(w.rowsBefore + rowsDone), rows(w.rowsTotal));
    }
};

// The average, written through the output depth's pixel store as the kernel's rows are; the sum
// holds alpha, red, green, blue per pixel, as the float store lays them out.
void storeAverage(const std::vector<float>& sum, int32_t count, const OutputImage& image) {
    const float n = static_cast<float>(count);
    const std::size_t width = static_cast<std::size_t>(image.width);
    const PixelRunStore store = pixelStoreFor(image.depth);
    std::vector<float> planes(width * 4);
    float* const alpha = planes.data();
    float* const red = alpha + width;
    float* const green = red + width;
    float* const blue = green + width;
    for (int32_t y = 0; y < image.height; ++y) {
        const float* in = sum.data() + static_cast<std::size_t>(y) * width * 4;
        for (std::size_t x = 0; x < width; ++x) {
            alpha[x] = in[x * 4] / n;
            red[x] = in[x * 4 + 1] / n;
            green[x] = in[x * 4 + 2] / n;
            blue[x] = in[x * 4 + 3] / n;
        }
        store(image.data + static_cast<std::ptrdiff_t>(y) * image.rowbytes, 0, image.width, red, green, blue,
              alpha);
    }
}

} // namespace

bool renderBlurredImage(const RenderSettings* samples, int32_t count, const OutputImage& image,
                        const RenderWatch* watch) {
    if (count < 1) return true;
    if (count == 1) return renderImage(samples[0], image, watch);

    const int32_t width = image.width > 0 ? image.width : 0;
    const int32_t height = image.height > 0 ? image.height : 0;
    const std::size_t values = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::vector<float> sum(values);
    std::vector<float> subFrame(values);

    for (int32_t k = 0; k < count; ++k) {
        // The first sub-frame is drawn straight into the sum; the others are added to it in
        // sub-frame order, each pixel by itself, so no thread or path changes the order.
        float* target = k == 0 ? sum.data() : subFrame.data();
        const OutputImage floatImage{reinterpret_cast<unsigned char*>(target),
                                     static_cast<std::ptrdiff_t>(width) * kFloatPixelBytes,
                                     width,
                                     height,
                                     image.originX,
                                     image.originY,
                                     OutputDepth::Float};
        SubFrameWatch spread{watch, static_cast<int64_t>(k) * height, static_cast<int64_t>(count) * height};
        const RenderWatch subWatch{&SubFrameWatch::poll, &spread, watch != nullptr ? watch->intervalMs : 0};
        if (!renderImage(samples[k], floatImage, watch != nullptr ? &subWatch : nullptr)) return false;
        if (k > 0) {
            for (std::size_t i = 0; i < values; ++i) sum[i] += subFrame[i];
        }
    }
    storeAverage(sum, count, image);
    return true;
}

} // namespace nebulastra
