#pragma once
// Moments of the open shutter in the host's own time. The host describes the shutter in in_data:
// shutter_angle and shutter_phase in 16.16 fixed-point degrees of a frame (360 degrees = one frame
// of time_step / time_scale seconds); the shutter opens at the frame's time plus the phase and
// stays open for the angle.

#include "host/host_abi.h"

namespace nebulastra {

/// Whether in_data asks for motion blur: the host sets a shutter angle above 0 only when both the
/// layer's and the composition's motion blur are on. A frame without a time base to place
/// sub-frames in (time_step or time_scale not positive) is rendered unblurred.
bool shutterIsOpen(const PF_InData& in_data);

/// The effect time at `fraction` of the open shutter (0 when it opens, 1 when it closes): the
/// frame's current_time plus (phase + angle x fraction) / 360 of time_step, as a host time on a
/// scale up to 65536 times finer than time_scale (as fine as int32 values and a uint32 scale
/// allow), rounded to the nearest tick of that scale.
A_Time shutterTime(const PF_InData& in_data, double fraction);

/// Seconds of a host time for the noise's evolution, like the frame's own: value / scale, negative
/// times and a scale of 0 giving 0.
float shutterSeconds(const A_Time& time);

} // namespace nebulastra
