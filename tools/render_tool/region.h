// --region X,Y,W,H: render only part of the frame, as a host does for a region of interest. The
// region is in output pixels at the chosen resolution, from the frame's top-left corner.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nebulastra::render_tool {

struct RegionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Region {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// "X,Y,W,H": four integers (X and Y may be negative), W and H at least 1, and the region must
// stay within the 32-bit range. Throws RegionError otherwise.
Region parseRegion(const std::string& text);

// The part of `region` on a frame of frameWidth x frameHeight, what the effect renders of it.
// Throws RegionError when the region misses the frame: there would be no pixel to write.
Region regionOnFrame(const Region& region, std::int32_t frameWidth, std::int32_t frameHeight);

} // namespace nebulastra::render_tool
