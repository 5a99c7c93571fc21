// Premultiplied host pixels to straight integer RGBA and premultiplied float RGBA.
#include "frame_pixels.h"

#include <algorithm>
#include <cstddef>

namespace nebulastra::render_tool {

namespace {

// round(colour * full / alpha) in integers, limited to full; 0 for a transparent pixel.
std::uint32_t unpremultiply(std::uint32_t colour, std::uint32_t alpha, std::uint32_t full) {
    if (alpha == 0) return 0;
    const std::uint64_t scaled = (static_cast<std::uint64_t>(colour) * full + alpha / 2) / alpha;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(scaled, full));
}

template <typename Pixel>
const Pixel& pixelAt(const PF_LayerDef& world, std::int32_t x, std::int32_t y) {
    const auto* row =
        static_cast<const std::uint8_t*>(world.data) + static_cast<std::ptrdiff_t>(y) * world.rowbytes;
    return reinterpret_cast<const Pixel*>(row)[x];
}

} // namespace

std::vector<std::uint8_t> straightRgba8(const PF_LayerDef& world) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(world.width) * world.height * 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        for (std::int32_t x = 0; x < world.width; ++x) {
            const PF_Pixel8& p = pixelAt<PF_Pixel8>(world, x, y);
            for (std::uint8_t c : {p.red, p.green, p.blue}) {
                rgba.push_back(static_cast<std::uint8_t>(unpremultiply(c, p.alpha, 255)));
            }
            rgba.push_back(p.alpha);
        }
    }
    return rgba;
}

std::vector<std::uint16_t> straightRgba16(const PF_LayerDef& world) {
    constexpr std::uint32_t kHostFull = 32768;
    constexpr std::uint32_t kFileFull = 65535;
    std::vector<std::uint16_t> rgba;
    rgba.reserve(static_cast<std::size_t>(world.width) * world.height * 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        for (std::int32_t x = 0; x < world.width; ++x) {
            const PF_Pixel16& p = pixelAt<PF_Pixel16>(world, x, y);
            for (std::uint16_t c : {p.red, p.green, p.blue}) {
                rgba.push_back(static_cast<std::uint16_t>(unpremultiply(c, p.alpha, kFileFull)));
            }
            const std::uint32_t alpha =
                (static_cast<std::uint32_t>(p.alpha) * kFileFull + kHostFull / 2) / kHostFull;
            rgba.push_back(static_cast<std::uint16_t>(std::min(alpha, kFileFull)));
        }
    }
    return rgba;
}

std::vector<float> premultipliedRgbaFloat(const PF_LayerDef& world) {
    std::vector<float> rgba;
    rgba.reserve(static_cast<std::size_t>(world.width) * world.height * 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        for (std::int32_t x = 0; x < world.width; ++x) {
            const PF_PixelFloat& p = pixelAt<PF_PixelFloat>(world, x, y);
            rgba.insert(rgba.end(), {p.red, p.green, p.blue, p.alpha});
        }
    }
    return rgba;
}

std::vector<float> premultipliedArgbFloat(const PF_LayerDef& world) {
    std::vector<float> argb;
    argb.reserve(static_cast<std::size_t>(world.width) * world.height * 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        for (std::int32_t x = 0; x < world.width; ++x) {
            const PF_PixelFloat& p = pixelAt<PF_PixelFloat>(world, x, y);
            argb.insert(argb.end(), {p.alpha, p.red, p.green, p.blue});
        }
    }
    return argb;
}

} // namespace nebulastra::render_tool
