// The per-pixel ray marcher. Reentrant and allocation-free: all working state is local, the two
// per-emitter arrays are fixed at kMaxEmitters entries on the stack.

#include "render/shade_pixel.h"

#include "render/composite_color.h"

#include <algorithm>
#include <cmath>

#include "render/cloud_field.h"
#include "render/march_setup.h"
#include "render/math/elementary.h"
#include "render/view_ray.h"

namespace nebulastra {
namespace {

constexpr int kShadowSamples = 6;
constexpr float kStopTransmittance = 0.003f;
constexpr float kMaxLightRatio = 4.0f;

} // namespace

void shadePixel(int32_t x, int32_t y, const RenderSettings& settings, const PreparedFrame& prepared,
                float& red, float& green, float& blue, float& alpha) {
    shadePixel(x, y, settings, prepared, makeCloudField(settings, prepared), red, green, blue, alpha);
}

void shadePixel(int32_t x, int32_t y, const RenderSettings& settings, const PreparedFrame& prepared,
                const CloudField& field, float& red, float& green, float& blue, float& alpha) {
    // Every early return below leaves transparent black.
    red = green = blue = alpha = 0.0f;

    float o[3], d[3];
    viewRayForPixel(x, y, settings, o, d);

    float tNear, tFar;
    if (!clipToBoundSphere(o, d, field.boundCenter, field.boundRadius, tNear, tFar)) return;

    const float unit = field.unit; // S: the unit of optical length
    const float span = tFar - tNear;
    const int32_t steps = marchStepCount(span, field.cloudSizePx, field.qualitySteps);
    const float dt = span / static_cast<float>(steps);
    if (!(dt > 0.0f)) return;
    const float ds = dt / unit;

    const float jitter = pixelJitter(x, y);
    const float mu =
        (field.sunDirection[0] * d[0] + field.sunDirection[1] * d[1]) + field.sunDirection[2] * d[2];
    const float phase = sunPhase(field.phaseAnisotropy, mu);

    const int32_t emitterCount = field.emitterCount;
    float E[kMaxEmitters];      // optical length through each emitter's cloud
    float shares[kMaxEmitters]; // each emitter's density at the current sample
    for (int32_t k = 0; k < kMaxEmitters; ++k) E[k] = 0.0f;

    const float shadowStep = field.shadowStep;

    float T = 1.0f; // transmittance so far
    float L = 0.0f; // light scattered toward the eye
    float P[3] = {0.0f, 0.0f, 0.0f};
    float W = 0.0f;

    for (int32_t i = 0; i < steps; ++i) {
        const float t = (static_cast<float>(i) + jitter) * dt + tNear;
        float p[3];
        for (int c = 0; c < 3; ++c) p[c] = o[c] + t * d[c];

        const float sigma = field.density(p, shares);
        if (!(sigma > 1e-5f)) continue; // empty space: nothing accumulates, no stop test

        // Not weighted by transmittance: a cloud behind another colours the pixel as fully as the
        // one in front, up to where the march stops.
        for (int32_t k = 0; k < emitterCount; ++k) {
            if (shares[k] > 0.0f) E[k] += shares[k] * ds;
        }

        const float w = sigma * ds;
        for (int c = 0; c < 3; ++c) P[c] += w * p[c];
        W += w;

        const float kappa = field.extinction * sigma;
        const float stepTransmittance = fmath::exp(-kappa * ds);
        const float absorbed = (1.0f - stepTransmittance) * T;

        float visibility = 1.0f;
        if (field.shadowed) {
            float sum = 0.0f;
            for (int m = 1; m <= kShadowSamples; ++m) {
                const float along = static_cast<float>(m) * shadowStep;
                float q[3];
                for (int c = 0; c < 3; ++c) q[c] = p[c] + along * field.sunDirection[c];
                sum += field.shadowDensity(q);
            }
            visibility = fmath::exp(-field.extinction * field.selfShadow * sum * shadowStep / unit);
        }

        const float powder = (1.0f - fmath::exp(-2.0f * kappa)) * 0.5f + 0.5f;
        L += (powder * visibility * field.sunIntensity * phase + field.ambient) * absorbed;

        T = T * stepTransmittance;
        if (T < kStopTransmittance) break;
    }

    const float a = 1.0f - T;
    if (a < 0.0001f) return;
    if (W < 1e-6f) return;
    float centroid[3];
    for (int c = 0; c < 3; ++c) centroid[c] = P[c] / W;

    float R, G, B;
    compositeEmitterColor(E, settings, prepared, centroid, R, G, B);

    const float lambda = std::min(L / a, kMaxLightRatio);
    red = lambda * R * a * field.brightness;
    green = lambda * G * a * field.brightness;
    blue = lambda * B * a * field.brightness;
    alpha = a;
}

} // namespace nebulastra
