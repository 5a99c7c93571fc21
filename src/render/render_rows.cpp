// Row workers: walk the band top to bottom, each row left to right, and store premultiplied ARGB.
// Nothing is allocated; each worker touches only its own rows.

#include "render/render_rows.h"

#include <cstring>

#include "render/channel_conversion.h"
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
void rowsScalar(const RowBand& band) {
    simd_scalar::shadeBand(band, storeRun<Store>);
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
        return rowsScalar<Store>;
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

} // namespace nebulastra
