// Writing float RGBA frames as OpenEXR files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nebulastra::render_tool {

enum class ExrSampleType { Half, Float };

// Where the pixels lie in the frame: OpenEXR's display window is the whole frame, (0, 0) to
// (frameWidth - 1, frameHeight - 1), and the pixels fill the data window starting at (dataX,
// dataY). A whole frame has its data window equal to its display window.
struct ExrPlacement {
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    std::int32_t dataX = 0;
    std::int32_t dataY = 0;
};

// Premultiplied RGBA floats, rows top to bottom, as channels R, G, B, A (ZIP compressed): a whole
// frame of width x height.
// Throws std::runtime_error naming the path when the file cannot be written.
void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType);

// The same for width x height pixels that are part of a larger frame, placed by `placement`.
void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType, const ExrPlacement& placement);

} // namespace nebulastra::render_tool
