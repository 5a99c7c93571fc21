// The scene model: one composition as After Effects would present it to the effect, held as plain
// records. A scene file (scene_file.h) is loaded into a Scene once; the scene host then answers
// every question the effect asks at a given time through the evaluation functions of
// scene_eval.h (tracks, layer activity, world positions, the camera), and hands out parameter
// values in the types the effect declared. Nothing here knows the host's binary types.
//
// Conventions shared by every record:
// - Times are seconds (double). Composition pixels, +y pointing down (the world's "up" is -y).
// - A std::optional that is empty means "the host reports this as unreadable": the matching host
//   query fails, so the effect's fallback is exercised. A property absent from the file is NOT
//   empty: the loader fills in its documented default.
// - Indices into Scene::layers count from the top of the composition (0 = top layer).
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nebulastra::scenefile {

// One key of an animated number: value v at time t (seconds).
struct Keyframe {
    double t = 0.0;
    double v = 0.0;
};

// An animated number. A constant is a single key. Keys are sorted by non-decreasing t and there is
// always at least one (the loader guarantees both). Evaluation (scene_eval.h): linear between
// keys, held before the first and after the last; "stepped" evaluation holds the earlier key.
struct Track {
    std::vector<Keyframe> keys;
};

// Three independently animated components (x, y, z or red, green, blue).
using Track3 = std::array<Track, 3>;

using Vec3 = std::array<double, 3>;
using Matrix4 = std::array<std::array<double, 4>, 4>; // row-major, [row][column]

// The composition's time base, as in_data carries it: frame f starts at
// current_time = f * timeStep in units of 1/timeScale seconds.
// Integral frame rate r: timeScale r, timeStep 1. 23.976 / 29.97 / 59.94: 24000 / 30000 / 60000
// with timeStep 1001.
struct TimeBase {
    std::uint32_t timeScale = 24;
    std::int32_t timeStep = 1;
};

struct Composition {
    std::int32_t width = 0;  // pixels, 1..30000
    std::int32_t height = 0; // pixels, 1..30000
    double frameRate = 24.0; // frames per second, as written in the file
    TimeBase timeBase;       // derived from frameRate by the loader
    // The motion-blur shutter, in degrees of a frame (After Effects' defaults): open for
    // shutterAngle, opening shutterPhase after the frame's time. Only layers with motion blur on
    // see it (Scene::layerMotionBlur).
    double shutterAngle = 180.0; // 0..720
    double shutterPhase = -90.0; // -360..360
};

// The composition's camera, in one of two forms. When Scene::camera is empty the composition has
// no camera at all. Within a camera, an empty optional (a null in the file) means the host
// reports no camera (AEGP_GetEffectCameraMatrix fails).
enum class CameraForm { LookAt, Matrix };

struct Camera {
    CameraForm form = CameraForm::LookAt;
    // LookAt form. The loader fills absent values with their defaults: zoom = composition
    // width * 50 / 36 (the 50 mm preset), pointOfInterest = (w/2, h/2, 0), position = (w/2, h/2,
    // -zoom), whose z is the zoom track negated key by key (so it follows an animated zoom).
    std::optional<Track3> position;
    std::optional<Track3> pointOfInterest;
    // Distance to the image plane (dist_to_image_plane), composition pixels. Both forms use it.
    std::optional<Track> zoom;
    // Matrix form: rows 0..2 the camera's x (right), y (down), z (forward) axes in world space,
    // row 3 its position, reported exactly as given (column 3 as written too).
    Matrix4 matrix{};
    bool matrixUnreadable = false; // "matrix": null
};

enum class LayerType { Light, Camera, Null, Solid, Footage, Text, Shape };

// Values equal the host's AEGP_LightType numbers.
enum class LightType : std::int32_t { Parallel = 0, Spot = 1, Point = 2, Ambient = 3, Environment = 4 };

struct Layer {
    std::optional<std::string> name = std::string(); // UTF-8; empty optional: name query fails
    LayerType type = LayerType::Light;
    // Lights only (the loader rejects these keys on other layers; defaults below apply to lights).
    std::optional<LightType> lightType = LightType::Point; // empty: light-type query fails
    std::optional<Track3> color;         // host red, green, blue, nominally 0..1; default (1,1,1)
    std::optional<Track> intensity;      // percent; default 100
    std::optional<Track> shadowDarkness; // percent; default 100
    // Every layer.
    std::optional<Track3> position;     // own position; default (0,0,0); empty: world xform fails
    std::optional<bool> enabled = true; // empty: activity query fails
    double inPoint = -std::numeric_limits<double>::infinity(); // seconds
    double outPoint = std::numeric_limits<double>::infinity(); // seconds; active: in <= t < out
    int parent = -1; // index into Scene::layers, -1 for none; never cyclic
};

// How the frames are rendered.
enum class RenderCommand { Smart, Render }; // SMART_PRE_RENDER + SMART_RENDER, or PF_Cmd_RENDER

struct RenderSpec {
    std::int32_t firstFrame = 0; // inclusive, 0 <= firstFrame <= lastFrame
    std::int32_t lastFrame = 0;  // inclusive
    int depth = 8;               // bits per channel: 8, 16 or 32 (float)
    int downsample = 1;          // 1 full, 2 half, 3 third, 4 quarter (x and y alike)
    RenderCommand command = RenderCommand::Smart;
};

struct Scene {
    Composition composition;
    std::int32_t layerWidth = 0; // the effect's layer (in_data width/height); defaults to comp size
    std::int32_t layerHeight = 0;
    bool layerMotionBlur = false; // the effect's layer's motion-blur switch
    std::optional<Camera> camera; // empty: the composition has no camera
    std::vector<Layer> layers;    // from the top
    // Effect parameter values keyed by parameter index (1..62; scene_params.h gives the keys that
    // name them). Units as the controls show them: percent, degrees, plain numbers; popups hold
    // their 1-based choice index, the checkbox 0 or 1. Missing indices take the default the effect
    // declared.
    std::map<int, Track> effect;
    RenderSpec render;
};

} // namespace nebulastra::scenefile
