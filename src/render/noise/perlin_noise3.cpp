// Seeded 3-D gradient noise (Perlin's improved noise with hashed gradients), used for domain warp.

#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

using namespace noise_internal;

float perlinNoise3(float x, float y, float z, int32_t seed) {
    float fx, fy, fz;
    // Neighbouring cells are cell + 1 in wrapping unsigned arithmetic, so the top cell of the
    // int32 range has a neighbour too.
    const uint32_t cx = static_cast<uint32_t>(latticeCell(x, fx));
    const uint32_t cy = static_cast<uint32_t>(latticeCell(y, fy));
    const uint32_t cz = static_cast<uint32_t>(latticeCell(z, fz));
    const uint32_t s = static_cast<uint32_t>(seed);
    const float gx = fx - 1.0f, gy = fy - 1.0f, gz = fz - 1.0f;

    const float c000 = cornerDot3(cx, cy, cz, s, fx, fy, fz);
    const float c100 = cornerDot3(cx + 1u, cy, cz, s, gx, fy, fz);
    const float c010 = cornerDot3(cx, cy + 1u, cz, s, fx, gy, fz);
    const float c110 = cornerDot3(cx + 1u, cy + 1u, cz, s, gx, gy, fz);
    const float c001 = cornerDot3(cx, cy, cz + 1u, s, fx, fy, gz);
    const float c101 = cornerDot3(cx + 1u, cy, cz + 1u, s, gx, fy, gz);
    const float c011 = cornerDot3(cx, cy + 1u, cz + 1u, s, fx, gy, gz);
    const float c111 = cornerDot3(cx + 1u, cy + 1u, cz + 1u, s, gx, gy, gz);

    const float u = fadeCurve(fx), v = fadeCurve(fy), w = fadeCurve(fz);
    const float a00 = lerp(c000, c100, u);
    const float a10 = lerp(c010, c110, u);
    const float a01 = lerp(c001, c101, u);
    const float a11 = lerp(c011, c111, u);
    const float b0 = lerp(a00, a10, v);
    const float b1 = lerp(a01, a11, v);
    const float n = lerp(b0, b1, w);
    return (n + 1.0f) * 0.5f;
}

} // namespace nebulastra
