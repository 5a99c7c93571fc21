// Where each rendered frame goes. The output name carries the file type the frame depth implies
// (.png for 8 and 16 bits, .exr for float) and, when several frames are rendered, a run of '#'
// that becomes the zero-padded frame number (out_####.png -> out_0007.png).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nebulastra::render {

struct OutputPathError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ".png" for 8 and 16 bits per channel, ".exr" for 32-bit float.
const char* extensionForDepth(int depth);

// The output pattern checked against the depth and frame count: a missing extension is added,
// a different one is an error, and several frames need a '#' run in the file name.
std::string checkedOutputPattern(const std::string& pattern, int depth, bool severalFrames);

// The pattern with its last run of '#' replaced by the frame number, zero-padded to the run's
// length (longer numbers are written in full); unchanged when there is no run.
std::string framePath(const std::string& pattern, std::int32_t frame);

}  // namespace nebulastra::render
