// Row workers: walk the band top to bottom, each row left to right, and store premultiplied ARGB.
// Nothing is allocated; each worker touches only its own rows.

#include "render/render_rows.h"

#include <cstring>

#include "render/channel_conversion.h"
#include "render/shade_pixel.h"

namespace nebulastra {
namespace {

// Pixel stores: alpha, red, green, blue adjacent, in the depth's channel type. memcpy keeps the
// stores free of alignment and aliasing assumptions about the host's buffer.
struct Store8 {
    static constexpr std::ptrdiff_t kPixelBytes = 4;
    static void store(unsigned char* at, float r, float g, float b, float a) {
        const uint8_t pixel[4] = {toChannel8(a), toChannel8(r), toChannel8(g), toChannel8(b)};
        std::memcpy(at, pixel, sizeof pixel);
    }
};

struct Store16 {
    static constexpr std::ptrdiff_t kPixelBytes = 8;
    static void store(unsigned char* at, float r, float g, float b, float a) {
        const uint16_t pixel[4] = {toChannel16(a), toChannel16(r), toChannel16(g), toChannel16(b)};
        std::memcpy(at, pixel, sizeof pixel);
    }
};

struct StoreFloat {
    static constexpr std::ptrdiff_t kPixelBytes = 16;
    static void store(unsigned char* at, float r, float g, float b, float a) {
        const float pixel[4] = {a, r, g, b};  // unchanged: above 1, negative and non-finite pass
        std::memcpy(at, pixel, sizeof pixel);
    }
};

template <class Store>
void shadeRows(const RowBand& band, PixelShader shade) {
    const FrameContext& context = band.context;
    for (int32_t y = band.firstRow; y < band.endRow; ++y) {
        // Pointer-width arithmetic: y * rowbytes can exceed 2^31 on large deep frames.
        unsigned char* row = context.outputBase + static_cast<std::ptrdiff_t>(y) * context.rowbytes;
        const int32_t layerY = context.originY + y;
        for (int32_t x = 0; x < context.width; ++x) {
            float r, g, b, a;
            shade(context.originX + x, layerY, *context.settings, *context.prepared, r, g, b, a);
            Store::store(row + static_cast<std::ptrdiff_t>(x) * Store::kPixelBytes, r, g, b, a);
        }
    }
}

} // namespace

void shadeRows8(const RowBand& band, PixelShader shade) { shadeRows<Store8>(band, shade); }
void shadeRows16(const RowBand& band, PixelShader shade) { shadeRows<Store16>(band, shade); }
void shadeRowsFloat(const RowBand& band, PixelShader shade) { shadeRows<StoreFloat>(band, shade); }

void renderRows8(const RowBand& band) { shadeRows<Store8>(band, shadePixel); }
void renderRows16(const RowBand& band) { shadeRows<Store16>(band, shadePixel); }
void renderRowsFloat(const RowBand& band) { shadeRows<StoreFloat>(band, shadePixel); }

} // namespace nebulastra
