// Writing RGBA frames as PNG files with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nebulastra::render_tool {

// Straight RGBA, 8 bits per sample, rows top to bottom. Throws std::runtime_error naming the
// path when the file cannot be written.
void writePng8(const std::string& path, std::int32_t width, std::int32_t height,
               const std::vector<std::uint8_t>& rgba);

// Straight RGBA, 16 bits per sample (0..65535), rows top to bottom.
void writePng16(const std::string& path, std::int32_t width, std::int32_t height,
                const std::vector<std::uint16_t>& rgba);

} // namespace nebulastra::render_tool
