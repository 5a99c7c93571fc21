// Writing float RGBA frames as OpenEXR files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nebulastra::render {

enum class ExrSampleType { Half, Float };

// Premultiplied RGBA floats, rows top to bottom, as channels R, G, B, A (ZIP compressed).
// Throws std::runtime_error naming the path when the file cannot be written.
void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType);

}  // namespace nebulastra::render
