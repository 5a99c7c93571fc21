// Oklab and sRGB encoding. The matrix constants are Ottosson's, to ten decimals.

#include "render/color_space.h"

#include "render/math/elementary.h"

namespace nebulastra {

void linearSrgbToOklab(const float rgb[3], float lab[3]) {
    const float r = rgb[0], g = rgb[1], b = rgb[2];
    float l = (0.4122214708f * r + 0.5363325363f * g) + 0.0514459929f * b;
    float m = (0.2119034982f * r + 0.6806995451f * g) + 0.1073969566f * b;
    float s = (0.0883024619f * r + 0.2817188376f * g) + 0.6299787005f * b;
    // A colour outside the sRGB gamut can drive a cone response negative; clamp (NaN too).
    l = fmath::cbrt(l > 0.0f ? l : 0.0f);
    m = fmath::cbrt(m > 0.0f ? m : 0.0f);
    s = fmath::cbrt(s > 0.0f ? s : 0.0f);
    lab[0] = (0.2104542553f * l + 0.7936177850f * m) - 0.0040720468f * s;
    lab[1] = (1.9779984951f * l - 2.4285922050f * m) + 0.4505937099f * s;
    lab[2] = (0.0259040371f * l + 0.7827717662f * m) - 0.8086757660f * s;
}

void oklabToLinearSrgb(const float lab[3], float rgb[3]) {
    const float L = lab[0], a = lab[1], b = lab[2];
    const float l1 = (L + 0.3963377774f * a) + 0.2158037573f * b;
    const float m1 = (L - 0.1055613458f * a) - 0.0638541728f * b;
    const float s1 = (L - 0.0894841775f * a) - 1.2914855480f * b;
    const float l = (l1 * l1) * l1;
    const float m = (m1 * m1) * m1;
    const float s = (s1 * s1) * s1;
    rgb[0] = (4.0767416621f * l - 3.3077115913f * m) + 0.2309699292f * s;
    rgb[1] = (-1.2684380046f * l + 2.6097574011f * m) - 0.3413193965f * s;
    rgb[2] = (-0.0041960863f * l - 0.7034186147f * m) + 1.7076147010f * s;
}

float encodeSrgb(float linear) {
    float c = linear > 0.0f ? linear : 0.0f;
    c = c < 1.0f ? c : 1.0f;
    if (c <= 0.0031308f) return c * 12.92f;
    return 1.055f * fmath::pow(c, 0.41666666f) - 0.055f;
}

float decodeSrgb(float encoded) {
    if (encoded > 0.04045f) return fmath::pow(encoded * 0.94786733f + 0.052132703f, 2.4f);
    return encoded * 0.07739938f;
}

} // namespace nebulastra
