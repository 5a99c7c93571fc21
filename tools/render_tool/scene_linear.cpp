// sRGB decoding of premultiplied pixels.
#include "scene_linear.h"

#include <cmath>

namespace nebulastra::render_tool {

double srgbToLinear(double v) {
    if (v < 0) return -srgbToLinear(-v);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

void toSceneLinear(std::vector<float>& rgba) {
    for (std::size_t at = 0; at + 3 < rgba.size(); at += 4) {
        const double alpha = rgba[at + 3];
        for (std::size_t c = at; c < at + 3; ++c) {
            rgba[c] = alpha > 0 ? static_cast<float>(srgbToLinear(rgba[c] / alpha) * alpha)
                                : static_cast<float>(srgbToLinear(rgba[c]));
        }
    }
}

} // namespace nebulastra::render_tool
