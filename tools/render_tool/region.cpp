// Parsing and placing --region.
#include "region.h"

#include <algorithm>
#include <limits>

namespace nebulastra::render_tool {

namespace {

[[noreturn]] void badRegion(const std::string& text, const std::string& why) {
    throw RegionError("--region " + text + ": " + why);
}

} // namespace

Region parseRegion(const std::string& text) {
    const std::string usage = "expected X,Y,W,H (integers, width and height at least 1)";
    std::int64_t values[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',', at) : text.size();
        if (comma == std::string::npos) badRegion(text, usage);
        const std::string field = text.substr(at, comma - at);
        const std::size_t digits = field.size() - (field.rfind('-', 0) == 0 ? 1 : 0);
        // Up to 12 digits: any such number fits in 64 bits, larger ones are out of range anyway.
        if (digits == 0 || digits > 12 ||
            !std::all_of(field.end() - static_cast<std::ptrdiff_t>(digits), field.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            badRegion(text, usage);
        }
        values[i] = std::stoll(field);
        at = comma + 1;
    }
    if (values[2] < 1 || values[3] < 1) badRegion(text, usage);
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < 2; ++i) {
        if (values[i] < kMin || values[i] + values[i + 2] > kMax)
            badRegion(text, "beyond the 32-bit pixel range");
    }
    return Region{static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
                  static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
}

Region regionOnFrame(const Region& region, std::int32_t frameWidth, std::int32_t frameHeight) {
    const std::int64_t left = std::max<std::int64_t>(region.x, 0);
    const std::int64_t top = std::max<std::int64_t>(region.y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{region.x} + region.width, frameWidth);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{region.y} + region.height, frameHeight);
    if (left >= right || top >= bottom) {
        throw RegionError("--region " + std::to_string(region.x) + "," + std::to_string(region.y) + "," +
                          std::to_string(region.width) + "," + std::to_string(region.height) +
                          ": lies outside the " + std::to_string(frameWidth) + " x " +
                          std::to_string(frameHeight) + " frame");
    }
    return Region{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                  static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

} // namespace nebulastra::render_tool
