// Pixel stores: premultiplied ARGB in the output's depth. Nothing is allocated; a store touches
// only the run of pixels it is handed.

#include "render/render_rows.h"

#include <cstring>

#include "render/channel_conversion.h"

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

/// A run of shaded pixels of one row, stored in the depth's layout.
template <class Store>
void storeRun(unsigned char* row, int32_t firstColumn, int32_t count, const float* red, const float* green,
              const float* blue, const float* alpha) {
    for (int32_t i = 0; i < count; ++i) {
        Store::store(row + static_cast<std::ptrdiff_t>(firstColumn + i) * Store::kPixelBytes, red[i],
                     green[i], blue[i], alpha[i]);
    }
}

} // namespace

PixelRunStore pixelStoreFor(OutputDepth depth) {
    switch (depth) {
    case OutputDepth::Float:
        return storeRun<StoreFloat>;
    case OutputDepth::Bits16:
        return storeRun<Store16>;
    case OutputDepth::Bits8:
    default:
        return storeRun<Store8>;
    }
}

} // namespace nebulastra
