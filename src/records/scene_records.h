#pragma once
// One light of the composition turned into one cloud, and the camera the frame is seen through.
// Both are filled by scene capture at the start of every frame and read-only afterwards.

#include <cstdint>

namespace nebulastra {

/// The most lights that become clouds in one frame; fixes the size of every per-emitter array.
constexpr int kMaxEmitters = 32;

/// Eye distance of the camera-less orthographic view, in composition pixels in front of z = 0.
constexpr float kOrthoEyeZ = -100000.0f;

struct CloudEmitter {
    float position[3];    // world position of the light (composition pixels, +y down)
    float color[3];       // the light's colour as the host reports it, unclamped
    float intensity;      // light intensity as a fraction, at least 0
    float shadowDarkness; // base opacity of the cloud, 0..1
};

/// The composition camera for this frame. All bytes zero means "no camera".
struct CameraView {
    bool valid;
    float position[3];
    float right[3];   // unit; pixel columns grow along it
    float down[3];    // unit; pixel rows grow along it
    float forward[3]; // unit; the viewing direction
    float zoom;       // distance to the image plane, in composition pixels
};

} // namespace nebulastra
