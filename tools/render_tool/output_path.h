// Where each rendered frame goes. The output name carries the file type the frame depth implies
// (.png for 8 and 16 bits; .exr, or .nbrf raw float, for float) and, when several frames are
// rendered, a run of '#' that becomes the zero-padded frame number (out_####.png -> out_0007.png).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nebulastra::render_tool {

struct OutputPathError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class ImageFormat {
    Png,      // 8 and 16 bits
    Exr,      // 32 bits, OpenEXR
    RawFloat, // 32 bits, .nbrf: the float samples' bits as rendered (see raw_frame/raw_frame.h)
};

// The writers a build of the tool has: the raw float writer always; PNG and OpenEXR where their
// libraries exist for the target.
struct AvailableFormats {
    bool png = true;
    bool exr = true;
};

// The output pattern checked against the depth, the frame count and the writers at hand: a
// missing extension is added (.png, or for float .exr, else .nbrf), a wrong or unavailable one is
// an error, and several frames need a '#' run in the file name.
struct OutputPattern {
    std::string path;
    ImageFormat format = ImageFormat::Png;
};
OutputPattern checkedOutputPattern(const std::string& pattern, int depth, bool severalFrames,
                                   AvailableFormats available);

// The pattern with its last run of '#' replaced by the frame number, zero-padded to the run's
// length (longer numbers are written in full); unchanged when there is no run.
std::string framePath(const std::string& pattern, std::int32_t frame);

} // namespace nebulastra::render_tool
