// Mean and spread of the shaped fractal noise, measured once per frame so each billow map can be
// recentred and rescaled to the spread of the Smooth map.

#include <cmath>

#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

namespace {
constexpr int kStatSamples = 256;
constexpr float kMinStddev = 0.001f;
constexpr float kSampleSpan = 30.0f;
using noise_internal::kTwoPowMinus31;
} // namespace

NoiseStats measureNoiseStats(NoiseShape shape, int32_t octaves, int32_t seed) {
    // Welford's running mean and squared deviation in double precision: stable, single pass.
    double mean = 0.0;
    double m2 = 0.0;
    for (int i = 0; i < kStatSamples; ++i) {
        const float x = static_cast<float>(randomBits(seed, i, 40)) * kSampleSpan * kTwoPowMinus31;
        const float y = static_cast<float>(randomBits(seed, i, 41)) * kSampleSpan * kTwoPowMinus31;
        const float z = static_cast<float>(randomBits(seed, i, 42)) * kSampleSpan * kTwoPowMinus31;
        const double v = shapedFbmNoise4(shape, x, y, z, 0.0f, octaves, seed);
        const double d = v - mean;
        mean += d / static_cast<double>(i + 1);
        m2 += (v - mean) * d;
    }
    const double variance = m2 / kStatSamples;
    float stddev = static_cast<float>(std::sqrt(variance));
    if (!(stddev >= kMinStddev)) { // also replaces NaN
        stddev = kMinStddev;
    }
    return NoiseStats{static_cast<float>(mean), stddev};
}

} // namespace nebulastra
