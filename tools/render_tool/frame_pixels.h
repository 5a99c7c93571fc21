// The rendered world (as the host handed it to the effect: rows of `rowbytes` bytes) turned into the pixel rows image files expect, RGBA in that order.
//
// The effect writes premultiplied ARGB: 8-bit (0..255), 16-bit (0..32768, After Effects' 15-bit
// scale) or float. PNG viewers expect straight (un-premultiplied) colour, so integer frames are
// divided by alpha; compositing tools expect OpenEXR premultiplied, so float frames keep their
// values as stored.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_abi.h"

namespace nebulastra::render_tool {

// 8-bit world -> straight 8-bit RGBA: colour round(c * 255 / a) (at most 255), 0 where a = 0.
std::vector<std::uint8_t> straightRgba8(const PF_LayerDef& world);

// 16-bit world -> straight 16-bit RGBA on the full 0..65535 scale: colour round(c * 65535 / a)
// (at most 65535, 0 where a = 0), alpha round(a * 65535 / 32768) (at most 65535).
std::vector<std::uint16_t> straightRgba16(const PF_LayerDef& world);

// Float world -> premultiplied float RGBA as stored.
std::vector<float> premultipliedRgbaFloat(const PF_LayerDef& world);

// Float world -> premultiplied float ARGB, the effect's own channel order.
std::vector<float> premultipliedArgbFloat(const PF_LayerDef& world);

} // namespace nebulastra::render_tool
