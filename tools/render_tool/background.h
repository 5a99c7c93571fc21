// An opaque backdrop under the clouds, for previews: the effect draws only the clouds, with
// alpha, and a viewer that shows transparency as white (or as a checkerboard) hides their lit
// side. The backdrop is a colour or a sky gradient from deep blue at the top of the frame to pale
// blue at the bottom, in the same display-encoded values as the effect's colours; the image is the
// clouds over it ("over": colour + backdrop x (1 - alpha)), with alpha 1 everywhere.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_abi.h"

namespace nebulastra::render_tool {

struct BackgroundError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Rgb {
    double red = 0, green = 0, blue = 0; // 0..1, display-encoded
};

struct Background {
    Rgb top;    // the colour of the frame's top row
    Rgb bottom; // the colour of its bottom row (the same as top for a plain colour)
};

// "sky", "black", "white", "grey" or "#RRGGBB". Throws BackgroundError naming what it accepts.
Background parseBackground(const std::string& text);

// The backdrop's colour on row `row` of a frame `frameHeight` rows tall: top on row 0, bottom on
// the last row, in between linearly.
Rgb backgroundAt(const Background& background, std::int32_t row, std::int32_t frameHeight);

// The rendered world (premultiplied, as the effect left it; its first row is row origin_y of a
// frame `frameHeight` rows tall) over the backdrop, as opaque RGBA for PNG: 8-bit on 0..255 from
// an 8-bit world, 16-bit on 0..65535 from a 16-bit one, each colour rounded and at most full.
// From the premultiplied values, so a colour brighter than its alpha keeps its light.
std::vector<std::uint8_t> opaqueRgba8(const PF_LayerDef& world, std::int32_t frameHeight,
                                      const Background& background);
std::vector<std::uint16_t> opaqueRgba16(const PF_LayerDef& world, std::int32_t frameHeight,
                                        const Background& background);

// Premultiplied float RGBA of an image `width` wide whose first row is row `firstRow` of the
// frame, put over the backdrop in place: colour + backdrop x (1 - alpha), alpha 1.
void putOver(std::vector<float>& rgba, std::int32_t width, std::int32_t firstRow, std::int32_t frameHeight,
             const Background& background);

} // namespace nebulastra::render_tool
