// Time evaluation of a Scene: keyframe interpolation, layer activity, translation-only parenting
// and the camera's axes.
#include "scenefile/scene_eval.h"

#include <algorithm>
#include <cmath>

namespace nebulastra::scenefile {

double secondsOf(std::int64_t value, std::uint32_t scale) {
    if (scale == 0) return 0.0;
    return static_cast<double>(value) / static_cast<double>(scale);
}

std::int64_t frameCurrentTime(const TimeBase& timeBase, std::int32_t frame) {
    return static_cast<std::int64_t>(frame) * timeBase.timeStep;
}

FrameSize frameSize(const Scene& scene) {
    const std::int32_t width = scene.layerWidth > 0 ? scene.layerWidth : scene.composition.width;
    const std::int32_t height = scene.layerHeight > 0 ? scene.layerHeight : scene.composition.height;
    const std::int32_t ds = std::max(1, scene.render.downsample);
    return FrameSize{(width + ds - 1) / ds, (height + ds - 1) / ds};
}

namespace {

// Index of the last key with key.t <= t, or -1 when t lies before the first key.
std::ptrdiff_t lastKeyAtOrBefore(const Track& track, double t) {
    const auto after = std::upper_bound(track.keys.begin(), track.keys.end(), t,
                                        [](double time, const Keyframe& k) { return time < k.t; });
    return (after - track.keys.begin()) - 1;
}

} // namespace

double evaluateTrack(const Track& track, double t) {
    const auto& keys = track.keys;
    if (keys.empty()) return 0.0;
    const std::ptrdiff_t i = lastKeyAtOrBefore(track, t);
    if (i < 0) return keys.front().v;
    if (static_cast<std::size_t>(i) + 1 >= keys.size()) return keys.back().v;
    const Keyframe& a = keys[i];
    const Keyframe& b = keys[i + 1];
    // a.t <= t < b.t, so the span is positive.
    const double f = (t - a.t) / (b.t - a.t);
    return a.v + (b.v - a.v) * f;
}

double evaluateStepped(const Track& track, double t) {
    if (track.keys.empty()) return 0.0;
    const std::ptrdiff_t i = lastKeyAtOrBefore(track, t);
    return track.keys[std::max<std::ptrdiff_t>(i, 0)].v;
}

Vec3 evaluateTrack3(const Track3& track, double t) {
    return {evaluateTrack(track[0], t), evaluateTrack(track[1], t), evaluateTrack(track[2], t)};
}

std::optional<bool> layerIsActive(const Layer& layer, double t) {
    if (!layer.enabled) return std::nullopt;
    return *layer.enabled && layer.inPoint <= t && t < layer.outPoint;
}

std::optional<Vec3> layerWorldPosition(const Scene& scene, int layerIndex, double t) {
    if (layerIndex < 0) return std::nullopt;
    Vec3 sum{0.0, 0.0, 0.0};
    // The loader rejects cycles; the step bound keeps a hand-built cyclic scene from looping.
    std::size_t steps = 0;
    for (int i = layerIndex; i >= 0; i = scene.layers[i].parent) {
        if (static_cast<std::size_t>(i) >= scene.layers.size() || steps++ > scene.layers.size()) {
            return std::nullopt;
        }
        const Layer& layer = scene.layers[i];
        if (!layer.position) return std::nullopt;
        const Vec3 p = evaluateTrack3(*layer.position, t);
        sum = {sum[0] + p[0], sum[1] + p[1], sum[2] + p[2]};
    }
    return sum;
}

std::optional<Vec3> lightColor(const Layer& layer, double t) {
    if (!layer.color) return std::nullopt;
    return evaluateTrack3(*layer.color, t);
}

std::optional<double> lightIntensity(const Layer& layer, double t) {
    if (!layer.intensity) return std::nullopt;
    return evaluateTrack(*layer.intensity, t);
}

std::optional<double> lightShadowDarkness(const Layer& layer, double t) {
    if (!layer.shadowDarkness) return std::nullopt;
    return evaluateTrack(*layer.shadowDarkness, t);
}

namespace {

// v / |v|, or zeros when |v| is zero.
Vec3 normalisedOrZero(const Vec3& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0)) return {0.0, 0.0, 0.0};
    return {v[0] / length, v[1] / length, v[2] / length};
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

} // namespace

std::optional<CameraAnswer> cameraAt(const Scene& scene, double t) {
    if (!scene.camera) return std::nullopt;
    const Camera& camera = *scene.camera;
    if (!camera.zoom) return std::nullopt;

    CameraAnswer answer;
    answer.distance = evaluateTrack(*camera.zoom, t);
    answer.planeWidth = static_cast<std::int16_t>(scene.composition.width);
    answer.planeHeight = static_cast<std::int16_t>(scene.composition.height);

    if (camera.form == CameraForm::Matrix) {
        if (camera.matrixUnreadable) return std::nullopt;
        answer.matrix = camera.matrix;
        return answer;
    }

    if (!camera.position || !camera.pointOfInterest) return std::nullopt;
    const Vec3 position = evaluateTrack3(*camera.position, t);
    const Vec3 poi = evaluateTrack3(*camera.pointOfInterest, t);
    const Vec3 forward = normalisedOrZero({poi[0] - position[0], poi[1] - position[1], poi[2] - position[2]});
    const Vec3 right = normalisedOrZero(cross({0.0, 1.0, 0.0}, forward));
    const Vec3 down = cross(forward, right);
    const Vec3 rows[4] = {right, down, forward, position};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) answer.matrix[r][c] = rows[r][c];
        answer.matrix[r][3] = r == 3 ? 1.0 : 0.0;
    }
    return answer;
}

} // namespace nebulastra::scenefile
