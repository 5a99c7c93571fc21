// Frame preparation: everything that is constant over a frame is derived here, once, on the
// host's render thread, so the per-sample code never draws random numbers, evaluates powers or
// trigonometry, or measures noise statistics. Every value that later divides or sizes something
// is bounded here (radii >= 1, scales >= 0.05, sizes >= 1, spreads >= 0.001, bound >= 1.1).

#include <cmath>

#include "render/cloud_look.h"
#include "render/color_space.h"
#include "render/math/elementary.h"
#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"
#include "render/prepared_frame.h"

namespace nebulastra {

namespace {

constexpr float kTwoPowMinus30 = 1.0f / 1073741824.0f;
using noise_internal::kTwoPowMinus31;
// 2 pi / 2^31 in single precision: turns a 31-bit draw into an angle of 0 .. 2 pi.
constexpr float kAngleStep = 2.9258362e-9f;
constexpr float kPi = 3.14159265358979f;

/// max(value, bound) that yields the bound when value is not a number.
inline float atLeast(float value, float bound) { return value > bound ? value : bound; }

/// Signed draw -1 .. 1.
inline float signedUnit(uint32_t b) { return static_cast<float>(b) * kTwoPowMinus30 - 1.0f; }

} // namespace

PreparedFrame prepareFrame(const RenderSettings& settings) {
    PreparedFrame frame{};

    const int32_t n = drawnEmitterCount(settings);

    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int k = 0; k < n; ++k) {
        const CloudEmitter& emitter = settings.emitters[k];
        float t = (emitter.intensity - 1.0f) * settings.intensitySizeWeight + 1.0f;
        t = atLeast(t, look::kMinRadiusFactor);
        frame.emitterRadius[k] = atLeast(t * settings.cloudSizePx, 1.0f);
        for (int c = 0; c < 3; ++c) {
            frame.emitterLinearColor[c][k] = decodeSrgb(emitter.color[c]);
        }
        for (int axis = 0; axis < 3; ++axis) {
            sum[axis] += emitter.position[axis];
        }
    }

    const float inverseCount = 1.0f / static_cast<float>(n > 0 ? n : 1);
    for (int axis = 0; axis < 3; ++axis) {
        frame.boundCenter[axis] = sum[axis] * inverseCount;
    }

    float reach = 0.0f;
    for (int k = 0; k < n; ++k) {
        const CloudEmitter& emitter = settings.emitters[k];
        // One draw per quantity: an emitter's variation depends only on the seed and its index.
        uint32_t b[7];
        for (int c = 0; c < 7; ++c) {
            b[c] = randomBits(settings.randomSeed, k, c);
        }

        float scale[3];
        for (int axis = 0; axis < 3; ++axis) {
            const float s = (signedUnit(b[axis]) * settings.scaleRandom[axis] + 1.0f) * settings.scale[axis];
            scale[axis] = atLeast(s, look::kMinRandomisedScale);
            frame.emitterInvScale[axis][k] = 1.0f / scale[axis];
        }
        frame.emitterMaxScale[k] = std::fmax(std::fmax(scale[2], scale[1]), scale[0]);

        float angle[3];
        for (int axis = 0; axis < 3; ++axis) {
            angle[axis] =
                (static_cast<float>(b[3 + axis]) * kAngleStep - kPi) * settings.rotationRandom[axis] +
                settings.rotation[axis];
        }
        const float sx = fmath::sin(angle[0]), cx = fmath::cos(angle[0]);
        const float sy = fmath::sin(angle[1]), cy = fmath::cos(angle[1]);
        const float sz = fmath::sin(angle[2]), cz = fmath::cos(angle[2]);
        // Rows of (Rz Ry Rx)^T: they take a world offset from the emitter into the cloud's axes.
        const float rows[3][3] = {
            {cy * cz, cy * sz, -sy},
            {sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy},
            {cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy},
        };
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                frame.emitterRotation[row][k][column] = rows[row][column];
            }
        }

        frame.emitterOpacity[k] =
            (1.0f - static_cast<float>(b[6]) * settings.opacityRandom * kTwoPowMinus31) *
            emitter.shadowDarkness;

        const float dx = emitter.position[0] - frame.boundCenter[0];
        const float dy = emitter.position[1] - frame.boundCenter[1];
        const float dz = emitter.position[2] - frame.boundCenter[2];
        const float extent = std::sqrt((dx * dx + dy * dy) + dz * dz) +
                             frame.emitterMaxScale[k] * look::kCloudReach * frame.emitterRadius[k];
        reach = extent > reach ? extent : reach;
    }
    frame.boundRadius = atLeast(reach, 1.0f) * look::kBoundMargin;

    const float inverseSize = 1.0f / atLeast(settings.cloudSizePx, 1.0f);
    frame.billowFrequency = inverseSize * settings.billowSize;
    frame.edgeWidth = settings.edgeSoftness * 0.11f + 0.05f;
    const float evolution = settings.timeSeconds * settings.evolutionSpeed + settings.worldEvolution;
    frame.billowPhase = evolution + settings.billowEvolution;
    frame.texturePhase = evolution + settings.textureEvolution;
    frame.textureFrequency = (settings.textureScale * 1.4f + 3.0f) * inverseSize;

    // Each billow map is recentred on its own mean and rescaled to the spread of the Smooth map.
    // A map outside the known shapes is evaluated as Smooth, so it shares Smooth's statistics.
    const NoiseStats smooth =
        measureNoiseStats(NoiseShape::Smooth, settings.billowDetail, settings.billowSeed);
    if (settings.billowMap != NoiseShape::Smooth) {
        const NoiseStats stats =
            measureNoiseStats(settings.billowMap, settings.billowDetail, settings.billowSeed);
        frame.billowMean = stats.mean;
        frame.billowGain = smooth.stddev / stats.stddev;
    } else {
        frame.billowMean = smooth.mean;
        frame.billowGain = smooth.stddev / smooth.stddev;
    }
    return frame;
}

} // namespace nebulastra
