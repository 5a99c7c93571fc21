// The sub-frame count of a blurred frame from how far its clouds travel on screen. Only a count is
// decided here, never a pixel, so the arithmetic is double precision: large composition
// coordinates lose nothing, and the same inputs give the same count on every platform.

#include "render/shutter_samples.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "render/prepared_frame.h"

namespace nebulastra {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Points at or nearer than this to the camera's plane (composition pixels along its view) have no
// useful screen position.
constexpr double kNearestDepth = 1.0;

// The points followed per cloud: its centre and the ends of its three world axes.
constexpr int kPointsPerCloud = 7;

struct ScreenPoint {
    bool visible; // in front of the camera
    double x, y;  // output pixels from the frame's centre
};

double dot(const double a[3], const float b[3]) {
    return a[0] * static_cast<double>(b[0]) + a[1] * static_cast<double>(b[1]) +
           a[2] * static_cast<double>(b[2]);
}

// Where a world point lands in the output frame: the inverse of the frame's view rays (the
// pin-hole projection through the camera, or the orthographic view's straight drop along z).
ScreenPoint project(const RenderSettings& s, const double p[3]) {
    const double sx = s.fullWidth > 0 ? static_cast<double>(s.outputWidth) / s.fullWidth : 1.0;
    const double sy = s.fullHeight > 0 ? static_cast<double>(s.outputHeight) / s.fullHeight : 1.0;
    if (!s.camera.valid) return ScreenPoint{true, p[0] * sx, p[1] * sy};
    const double rel[3] = {p[0] - s.camera.position[0], p[1] - s.camera.position[1],
                           p[2] - s.camera.position[2]};
    const double depth = dot(rel, s.camera.forward);
    if (!(depth > kNearestDepth)) return ScreenPoint{false, 0.0, 0.0};
    const double perDepth = static_cast<double>(s.camera.zoom) / depth;
    return ScreenPoint{true, dot(rel, s.camera.right) * perDepth * sx,
                       dot(rel, s.camera.down) * perDepth * sy};
}

// Point `which` of cloud k: 0 its centre, 1..6 the ends of its x, y and z axes at its largest
// radius.
void cloudPoint(const RenderSettings& s, const PreparedFrame& f, int32_t k, int which, double p[3]) {
    const CloudEmitter& e = s.emitters[k];
    for (int axis = 0; axis < 3; ++axis) p[axis] = e.position[axis];
    if (which == 0) return;
    const double reach = static_cast<double>(f.emitterRadius[k]) * f.emitterMaxScale[k];
    const int axis = (which - 1) / 2;
    p[axis] += (which % 2 == 1) ? reach : -reach;
}

bool sameCamera(const CameraView& a, const CameraView& b) {
    if (a.valid != b.valid) return false;
    if (!a.valid) return true;
    return std::memcmp(a.position, b.position, sizeof a.position) == 0 &&
           std::memcmp(a.right, b.right, sizeof a.right) == 0 &&
           std::memcmp(a.down, b.down, sizeof a.down) == 0 &&
           std::memcmp(a.forward, b.forward, sizeof a.forward) == 0 && a.zoom == b.zoom;
}

} // namespace

double cloudScreenTravel(const RenderSettings* probes, int32_t count) {
    if (count < 2) return 0.0;
    const int32_t clouds = drawnEmitterCount(probes[0]);
    for (int32_t i = 1; i < count; ++i) {
        if (drawnEmitterCount(probes[i]) != clouds || probes[i].camera.valid != probes[0].camera.valid) {
            return kInfinity;
        }
    }

    // Each probe's clouds as the frame would prepare them: radius and scale come from the same
    // place as the pixels'.
    double longest = 0.0;
    PreparedFrame previous = prepareFrame(probes[0]);
    double path[kMaxEmitters][kPointsPerCloud] = {};
    for (int32_t i = 1; i < count; ++i) {
        const RenderSettings& a = probes[i - 1];
        const RenderSettings& b = probes[i];
        const PreparedFrame next = prepareFrame(b);
        const bool cameraStill = sameCamera(a.camera, b.camera);
        for (int32_t k = 0; k < clouds; ++k) {
            for (int which = 0; which < kPointsPerCloud; ++which) {
                double pa[3], pb[3];
                cloudPoint(a, previous, k, which, pa);
                cloudPoint(b, next, k, which, pb);
                const ScreenPoint sa = project(a, pa);
                const ScreenPoint sb = project(b, pb);
                if (sa.visible && sb.visible) {
                    path[k][which] += std::hypot(sb.x - sa.x, sb.y - sa.y);
                } else if (!(cameraStill && pa[0] == pb[0] && pa[1] == pb[1] && pa[2] == pb[2])) {
                    return kInfinity; // moving behind the camera: no screen distance to go by
                }
                longest = path[k][which] > longest ? path[k][which] : longest;
            }
        }
        previous = next;
    }
    return longest;
}

int32_t shutterSampleCount(double travelPx) {
    if (!(travelPx <= static_cast<double>(kMaxShutterSamples) * kShutterSampleStepPx)) {
        return kMaxShutterSamples; // also infinite and NaN travel
    }
    const double steps = std::ceil(travelPx / kShutterSampleStepPx);
    return steps < 1.0 ? 1 : static_cast<int32_t>(steps);
}

} // namespace nebulastra
