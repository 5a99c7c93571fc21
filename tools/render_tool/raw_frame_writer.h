// Float frames as raw bits: the one output every build of the tool writes identically, so a
// frame of the Windows .aex can be compared with the native library's byte for byte (OpenEXR's
// compressed files need not be identical for identical pixels, and OpenEXR is not part of the
// Windows build).
//
// The layout is the reference-frame file of the tests (tests/data/*.nbrf), every field a
// little-endian 32-bit word:
//   "NBRF" (4 bytes), version 1, width, height,
//   then width * height pixels from the top-left, row by row, each alpha, red, green, blue
//   (premultiplied, as the effect stores them) as the bit patterns of IEEE single floats.
// PFM, the nearest common format, has no alpha channel and stores rows bottom-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nebulastra::render_tool {

// `argb` holds width * height * 4 floats, alpha first, rows top to bottom. Throws
// std::runtime_error naming the path when the file cannot be written.
void writeRawFloatFrame(const std::string& path, std::int32_t width, std::int32_t height,
                        const std::vector<float>& argb);

} // namespace nebulastra::render_tool
