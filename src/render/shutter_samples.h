#pragma once
// How many sub-frames a motion-blurred frame needs: enough that nothing a cloud is drawn around
// moves more than about a pixel on screen from one sub-frame to the next, so the average reads as
// a smooth streak rather than a row of copies, and one when nothing moves, so a still frame is
// the unblurred frame.

#include <cstdint>

#include "records/render_settings.h"

namespace nebulastra {

/// The most sub-frames one frame renders: a frame costs up to this many unblurred frames. Above
/// it the sub-frames of a fast move stand further apart than a pixel; bench/README.md
/// ("Motion-blur samples") gives the measurement behind the number.
constexpr int32_t kMaxShutterSamples = 64;

/// Screen distance, in output pixels, that the sub-frames aim to keep between them.
constexpr float kShutterSampleStepPx = 1.0f;

/// Scene captures spread over the open shutter (both ends included) to measure how far the clouds
/// travel: enough to follow a curved or accelerating path without tracing it sub-frame by
/// sub-frame.
constexpr int32_t kShutterProbes = 5;

/// The longest path, in output pixels, that any cloud traces on screen through `probes` (scene
/// captures at successive times of one frame, the same parameters): for each cloud, its centre and
/// the six ends of its three world axes at its largest radius, each followed from probe to probe
/// through the probe's own camera. The axis ends make a cloud that turns, grows or comes nearer
/// count even when its centre stands still. Infinite when the probes disagree on what is drawn
/// (a light starts or stops during the shutter, the camera appears or goes) or when a point that
/// moves lies behind the camera, where the screen distance says nothing.
double cloudScreenTravel(const RenderSettings* probes, int32_t count);

/// Sub-frames for a screen travel of `travelPx`: ceil(travel / kShutterSampleStepPx), at least 1,
/// at most kMaxShutterSamples (also for an infinite or undefined travel).
int32_t shutterSampleCount(double travelPx);

} // namespace nebulastra
