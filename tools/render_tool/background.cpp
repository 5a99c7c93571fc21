// Backdrops: parsing, the sky's gradient, and "over".
#include "background.h"

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace nebulastra::render_tool {

namespace {

Rgb hexColour(const std::string& text) {
    const auto hex = [&](std::size_t at) {
        return static_cast<double>(std::strtol(text.substr(at, 2).c_str(), nullptr, 16)) / 255.0;
    };
    return {hex(1), hex(3), hex(5)};
}

bool isHexColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') return false;
    for (std::size_t i = 1; i < 7; ++i) {
        if (std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
    }
    return true;
}

// Premultiplied integer pixels (host scale 0..hostFull) over the backdrop, on 0..fileFull.
template <typename Sample, typename Pixel>
std::vector<Sample> opaqueRgba(const PF_LayerDef& world, std::int32_t frameHeight,
                               const Background& background, double hostFull, double fileFull) {
    std::vector<Sample> rgba;
    rgba.reserve(static_cast<std::size_t>(world.width) * world.height * 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        const Rgb under = backgroundAt(background, world.origin_y + y, frameHeight);
        const auto* row = reinterpret_cast<const Pixel*>(static_cast<const std::uint8_t*>(world.data) +
                                                         static_cast<std::ptrdiff_t>(y) * world.rowbytes);
        for (std::int32_t x = 0; x < world.width; ++x) {
            const Pixel& p = row[x];
            const double transparency = 1.0 - p.alpha / hostFull;
            for (const auto& [colour, behind] : {std::pair{p.red, under.red}, std::pair{p.green, under.green},
                                                 std::pair{p.blue, under.blue}}) {
                const double over = (colour / hostFull + behind * transparency) * fileFull;
                rgba.push_back(static_cast<Sample>(std::lround(std::fmin(std::fmax(over, 0.0), fileFull))));
            }
            rgba.push_back(static_cast<Sample>(fileFull));
        }
    }
    return rgba;
}

} // namespace

Background parseBackground(const std::string& text) {
    if (text == "sky")
        return {{0x2c / 255.0, 0x5a / 255.0, 0x8c / 255.0}, {0x9f / 255.0, 0xc3 / 255.0, 0xe6 / 255.0}};
    if (text == "black") return {{0, 0, 0}, {0, 0, 0}};
    if (text == "white") return {{1, 1, 1}, {1, 1, 1}};
    if (text == "grey" || text == "gray") return {{0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}};
    if (isHexColour(text)) return {hexColour(text), hexColour(text)};
    throw BackgroundError("--background: expected sky, black, white, grey or a colour #RRGGBB, got \"" +
                          text.substr(0, 40) + "\"");
}

Rgb backgroundAt(const Background& background, std::int32_t row, std::int32_t frameHeight) {
    const double t = frameHeight > 1 ? static_cast<double>(row) / (frameHeight - 1) : 0.0;
    const auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(background.top.red, background.bottom.red),
            mix(background.top.green, background.bottom.green),
            mix(background.top.blue, background.bottom.blue)};
}

std::vector<std::uint8_t> opaqueRgba8(const PF_LayerDef& world, std::int32_t frameHeight,
                                      const Background& background) {
    return opaqueRgba<std::uint8_t, PF_Pixel8>(world, frameHeight, background, 255.0, 255.0);
}

std::vector<std::uint16_t> opaqueRgba16(const PF_LayerDef& world, std::int32_t frameHeight,
                                        const Background& background) {
    return opaqueRgba<std::uint16_t, PF_Pixel16>(world, frameHeight, background, 32768.0, 65535.0);
}

void putOver(std::vector<float>& rgba, std::int32_t width, std::int32_t firstRow, std::int32_t frameHeight,
             const Background& background) {
    const std::size_t rowSamples = static_cast<std::size_t>(width) * 4;
    for (std::size_t at = 0; at < rgba.size(); at += 4) {
        const Rgb under =
            backgroundAt(background, firstRow + static_cast<std::int32_t>(at / rowSamples), frameHeight);
        const float transparency = 1.0f - rgba[at + 3];
        rgba[at + 0] += static_cast<float>(under.red) * transparency;
        rgba[at + 1] += static_cast<float>(under.green) * transparency;
        rgba[at + 2] += static_cast<float>(under.blue) * transparency;
        rgba[at + 3] = 1.0f;
    }
}

} // namespace nebulastra::render_tool
