// Seeded 4-D gradient noise; the fourth coordinate carries time, so clouds evolve smoothly.
// Each corner has a random 4-component gradient built from four hashes and normalised on the
// fly, which keeps the noise free of any stored table.

#include <cmath>

#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

using namespace noise_internal;

namespace {

inline float gradientComponent(uint32_t h) { return static_cast<float>(mix(h)) * kTwoPowMinus31 - 0.5f; }

/// Value of one corner: the offset dotted with the corner's gradient over the gradient's length.
/// Both sums use a fixed pairing so every build rounds them identically.
inline float cornerValue4(uint32_t h, float ox, float oy, float oz, float ow) {
    const float gx = gradientComponent(h - kGradientSpacing);
    const float gy = gradientComponent(h);
    const float gz = gradientComponent(h + kGradientSpacing);
    const float gw = gradientComponent(h + 2u * kGradientSpacing);
    const float dot = (ox * gx + oy * gy) + (ow * gw + oz * gz);
    const float lengthSquared = ((gw * gw + 1e-6f) + gz * gz) + (gy * gy + gx * gx);
    return dot / std::sqrt(lengthSquared);
}

} // namespace

float gradientNoise4(float x, float y, float z, float w, int32_t seed) {
    float fx, fy, fz, fw;
    const uint32_t cx = static_cast<uint32_t>(latticeCell(x, fx));
    const uint32_t cy = static_cast<uint32_t>(latticeCell(y, fy));
    const uint32_t cz = static_cast<uint32_t>(latticeCell(z, fz));
    const uint32_t cw = static_cast<uint32_t>(latticeCell(w, fw));
    // The 4-D noise hashes seed + 131 so it never coincides with the 3-D noise of the same seed.
    const uint32_t seedTerm = (static_cast<uint32_t>(seed) + kNoise4SeedOffset) * kPrimeSeed;

    const float offX[2] = {fx, fx - 1.0f};
    const float offY[2] = {fy, fy - 1.0f};
    const float offZ[2] = {fz, fz - 1.0f};
    const float offW[2] = {fw, fw - 1.0f};

    // corner[l][k][j][i]
    float corner[2][2][2][2];
    for (uint32_t l = 0; l < 2; ++l) {
        for (uint32_t k = 0; k < 2; ++k) {
            for (uint32_t j = 0; j < 2; ++j) {
                for (uint32_t i = 0; i < 2; ++i) {
                    const uint32_t h = (cx + i) * kPrimeX + (cy + j) * kPrimeY + (cz + k) * kPrimeZ +
                                       (cw + l) * kPrimeW + seedTerm;
                    corner[l][k][j][i] = cornerValue4(h, offX[i], offY[j], offZ[k], offW[l]);
                }
            }
        }
    }

    const float u = fadeCurve(fx), v = fadeCurve(fy), s = fadeCurve(fz);
    float zl[2];
    for (int l = 0; l < 2; ++l) {
        const float a00 = lerp(corner[l][0][0][0], corner[l][0][0][1], u);
        const float a10 = lerp(corner[l][0][1][0], corner[l][0][1][1], u);
        const float a01 = lerp(corner[l][1][0][0], corner[l][1][0][1], u);
        const float a11 = lerp(corner[l][1][1][0], corner[l][1][1][1], u);
        const float b0 = lerp(a00, a10, v);
        const float b1 = lerp(a01, a11, v);
        zl[l] = lerp(b0, b1, s);
    }
    // 0.5 + 0.7 * lerp(Z0, Z1, fade(fw)) with the 0.7 folded into the fade polynomial:
    // T = 0.7 fade(fw) = ((4.2 fw - 10.5) fw + 7) fw^3.
    const float t = ((4.2f * fw - 10.5f) * fw + 7.0f) * ((fw * fw) * fw);
    return ((zl[1] - zl[0]) * t + 0.7f * zl[0]) + 0.5f;
}

} // namespace nebulastra
