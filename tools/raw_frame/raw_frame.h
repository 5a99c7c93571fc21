// Float frames as raw bits (.nbrf): the one output every build of nebulastra-render writes
// identically, so a frame of the Windows .aex can be compared with the native library's byte for
// byte, and the form of the reference frames the tests keep (tests/data/*.nbrf). OpenEXR's
// compressed files need not be identical for identical pixels, and OpenEXR is not part of the
// Windows build; PFM, the nearest common format, has no alpha channel and stores rows bottom-up.
//
// The file, every field a little-endian 32-bit word:
//   "NBRF" (4 bytes), version 1, width, height,
//   then width * height pixels from the top-left, row by row, each alpha, red, green, blue
//   (premultiplied, as the effect stores them) as the bit patterns of IEEE single floats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nebulastra::raw_frame {

struct FloatFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<float> argb; // 4 per pixel, alpha first, rows from the top
};

/// Throws std::runtime_error naming the path when the file cannot be created or written.
void writeRawFrame(const std::string& path, const FloatFrame& frame);

/// Throws std::runtime_error naming the path when it is missing, truncated or not a raw frame.
FloatFrame readRawFrame(const std::string& path);

/// How far a frame lies from a reference, channel by channel.
struct FrameDifference {
    std::size_t channels = 0;       // compared
    std::size_t differing = 0;      // not bit-identical
    std::size_t outOfTolerance = 0; // beyond the tolerance given to compareFrames
    double maxAbsolute = 0.0;
    double maxRelative = 0.0;              // |a - b| / |reference|, over channels whose reference is not 0
    std::int32_t worstX = -1, worstY = -1; // where the largest absolute difference lies
    int worstChannel = -1;                 // 0 alpha, 1 red, 2 green, 3 blue
};

/// A channel is within tolerance when |a - b| <= absolute + relative * |reference|. NaN never is,
/// unless both are NaN with the same bits. Frames of different sizes are wholly out of tolerance.
FrameDifference compareFrames(const FloatFrame& frame, const FloatFrame& reference, double absolute,
                              double relative);

} // namespace nebulastra::raw_frame
