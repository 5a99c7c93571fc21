// Evaluating a Scene at a time: the answers the scene host gives to the effect's layer, light,
// stream and camera queries. All arithmetic is double precision; the host converts to its own
// types at the boundary.
#pragma once

#include <cstdint>
#include <optional>

#include "scenefile/scene.h"

namespace nebulastra::scenefile {

// Seconds of a host time value (value / scale); 0 when scale is 0.
double secondsOf(std::int64_t value, std::uint32_t scale);

// in_data.current_time of frame f: f * timeStep (time_scale is timeBase.timeScale).
std::int64_t frameCurrentTime(const TimeBase& timeBase, std::int32_t frame);

// The effect's layer (its size defaults to the composition's) at the render's downsample, each
// side rounded up: the size of a whole-frame output world, and the frame a region lies in.
struct FrameSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
FrameSize frameSize(const Scene& scene);

// Value of a track at t: linear interpolation between the surrounding keys, the first key's value
// before it and the last key's value after it. An empty track gives 0.
double evaluateTrack(const Track& track, double t);

// Value of a track at t holding the earlier key (popups, checkbox): the value of the last key
// with key.t <= t, or the first key's value before it. An empty track gives 0.
double evaluateStepped(const Track& track, double t);

Vec3 evaluateTrack3(const Track3& track, double t);

// Whether the layer's video is active at t: enabled and inPoint <= t < outPoint.
// Empty when `enabled` is unreadable (the activity query fails).
std::optional<bool> layerIsActive(const Layer& layer, double t);

// The layer's position in composition world space at t: its own position plus its parents'
// (translation-only parenting, nested). Empty when the position of the layer or of any parent is
// unreadable, or when the index is out of range. The host reports it as the translation row
// (row 3) of an otherwise identity layer-to-world matrix.
std::optional<Vec3> layerWorldPosition(const Scene& scene, int layerIndex, double t);

// Light properties at t with their defaults already applied by the loader; empty = unreadable.
std::optional<Vec3> lightColor(const Layer& layer, double t);
std::optional<double> lightIntensity(const Layer& layer, double t);      // percent
std::optional<double> lightShadowDarkness(const Layer& layer, double t); // percent

// What AEGP_GetEffectCameraMatrix answers: the camera-to-world matrix (rows 0..2 right, down,
// forward; row 3 the position; column 3 = (0, 0, 0, 1) for the look-at form), the distance to the
// image plane, and the image-plane size (the composition size).
struct CameraAnswer {
    Matrix4 matrix{};
    double distance = 0.0;
    std::int16_t planeWidth = 0;
    std::int16_t planeHeight = 0;
};

// The camera at t, or empty when the host reports no camera (no camera in the scene, or one of
// its values is null). The look-at form derives forward = normalise(poi - position),
// right = normalise(cross((0, 1, 0), forward)), down = cross(forward, right); an axis whose
// length is zero is reported as zeros (the effect substitutes its own fallback).
std::optional<CameraAnswer> cameraAt(const Scene& scene, double t);

} // namespace nebulastra::scenefile
