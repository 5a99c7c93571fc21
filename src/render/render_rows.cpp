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

/// Walks the band's rows; shade(layerX, layerY, r, g, b, a) computes one pixel.
template <class Store, class Shade>
void walkRows(const RowBand& band, Shade shade) {
    const FrameContext& context = band.context;
    for (int32_t y = band.firstRow; y < band.endRow; ++y) {
        // Pointer-width arithmetic: y * rowbytes can exceed 2^31 on large deep frames.
        unsigned char* row = context.outputBase + static_cast<std::ptrdiff_t>(y) * context.rowbytes;
        for (int32_t x = 0; x < context.width; ++x) {
            float r, g, b, a;
            shade(context.originX + x, context.originY + y, r, g, b, a);
            Store::store(row + static_cast<std::ptrdiff_t>(x) * Store::kPixelBytes, r, g, b, a);
        }
    }
}

template <class Store>
void shadeRows(const RowBand& band, PixelShader shade) {
    const FrameContext& c = band.context;
    walkRows<Store>(band, [&](int32_t x, int32_t y, float& r, float& g, float& b, float& a) {
        shade(x, y, *c.settings, *c.prepared, r, g, b, a);
    });
}

template <class Store>
void renderRows(const RowBand& band) {
    const FrameContext& c = band.context;
    walkRows<Store>(band, [&](int32_t x, int32_t y, float& r, float& g, float& b, float& a) {
        shadePixel(x, y, *c.settings, *c.prepared, *c.field, r, g, b, a);
    });
}

} // namespace

void shadeRows8(const RowBand& band, PixelShader shade) { shadeRows<Store8>(band, shade); }
void shadeRows16(const RowBand& band, PixelShader shade) { shadeRows<Store16>(band, shade); }
void shadeRowsFloat(const RowBand& band, PixelShader shade) { shadeRows<StoreFloat>(band, shade); }

void renderRows8(const RowBand& band) { renderRows<Store8>(band); }
void renderRows16(const RowBand& band) { renderRows<Store16>(band); }
void renderRowsFloat(const RowBand& band) { renderRows<StoreFloat>(band); }

} // namespace nebulastra
