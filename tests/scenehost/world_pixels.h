#pragma once
// A host world's pixels as floats, row by row, for tests that compare whole frames.

#include <cstring>
#include <vector>

#include "scenehost/host_world.h"

namespace nebulastra::testing {

inline std::vector<scenehost::ArgbF> pixelsOf(const scenehost::HostWorld& world) {
    std::vector<scenehost::ArgbF> pixels;
    for (int32_t y = 0; y < world.height(); ++y)
        for (int32_t x = 0; x < world.width(); ++x) pixels.push_back(world.pixel(x, y));
    return pixels;
}

inline bool identical(const std::vector<scenehost::ArgbF>& a, const std::vector<scenehost::ArgbF>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(scenehost::ArgbF)) == 0;
}

} // namespace nebulastra::testing
