// Row workers: walk the band top to bottom, each row left to right, and store premultiplied ARGB.
// Nothing is allocated; each worker touches only its own rows.

#include "render/render_rows.h"

#include <cstring>

#include "render/channel_conversion.h"
#include "render/shade_pixel.h"
#include "render/simd/packet_kernel.h"

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
        const float pixel[4] = {a, r, g, b}; // unchanged: above 1, negative and non-finite pass
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
        const int32_t layerY = context.originY + y;
        for (int32_t x = 0; x < context.width; ++x) {
            float r, g, b, a;
            shade(context.originX + x, layerY, r, g, b, a);
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

/// A run of shaded pixels of one row, stored in the depth's layout.
template <class Store>
void storeRun(unsigned char* row, int32_t firstColumn, int32_t count, const float* red, const float* green,
              const float* blue, const float* alpha) {
    for (int32_t i = 0; i < count; ++i) {
        Store::store(row + static_cast<std::ptrdiff_t>(firstColumn + i) * Store::kPixelBytes, red[i],
                     green[i], blue[i], alpha[i]);
    }
}

template <class Store>
void rowsSse2(const RowBand& band) {
    simd_sse2::shadeBand(band, storeRun<Store>);
}
template <class Store>
void rowsAvx2(const RowBand& band) {
    simd_avx2::shadeBand(band, storeRun<Store>);
}
template <class Store>
void rowsAvx512(const RowBand& band) {
    simd_avx512::shadeBand(band, storeRun<Store>);
}

template <class Store>
RowWorker workerOn(Isa isa) {
    switch (isa) {
    case Isa::Sse2:
        return rowsSse2<Store>;
    case Isa::Avx2:
        return rowsAvx2<Store>;
    case Isa::Avx512:
        return rowsAvx512<Store>;
    case Isa::Scalar:
    default:
        return renderRows<Store>;
    }
}

} // namespace

RowWorker rowWorkerFor(OutputDepth depth, Isa isa) {
    switch (depth) {
    case OutputDepth::Float:
        return workerOn<StoreFloat>(isa);
    case OutputDepth::Bits16:
        return workerOn<Store16>(isa);
    case OutputDepth::Bits8:
    default:
        return workerOn<Store8>(isa);
    }
}

void shadeRowsFloat(const RowBand& band, PixelShader shade) { shadeRows<StoreFloat>(band, shade); }

void renderRows8(const RowBand& band) { renderRows<Store8>(band); }
void renderRows16(const RowBand& band) { renderRows<Store16>(band); }
void renderRowsFloat(const RowBand& band) { renderRows<StoreFloat>(band); }

} // namespace nebulastra
