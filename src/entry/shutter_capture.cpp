#include "entry/shutter_capture.h"

#include "entry/shutter_times.h"
#include "render/shutter_samples.h"
#include "scene/capture_scene.h"

namespace nebulastra {
namespace {

// The frame's record with the scene and the noise's time of another moment.
void captureMoment(const PF_InData* in_data, const A_Time& when, RenderSettings& moment) {
    captureSceneAt(in_data, when, moment);
    moment.timeSeconds = shutterSeconds(when);
}

} // namespace

std::vector<RenderSettings> captureShutterSamples(const PF_InData* in_data, const RenderSettings& frame) {
    std::vector<RenderSettings> samples;
    if (!shutterIsOpen(*in_data)) return samples;

    // How far the clouds travel while the shutter is open, followed through a few captures from
    // its opening to its closing.
    RenderSettings probes[kShutterProbes];
    for (int32_t i = 0; i < kShutterProbes; ++i) {
        probes[i] = frame;
        captureMoment(in_data, shutterTime(*in_data, static_cast<double>(i) / (kShutterProbes - 1)),
                      probes[i]);
    }
    const int32_t count = shutterSampleCount(cloudScreenTravel(probes, kShutterProbes));
    if (count < 2) return samples;

    // Each sub-frame stands for an equal slice of the open shutter, taken at the slice's middle.
    samples.assign(static_cast<std::size_t>(count), frame);
    for (int32_t k = 0; k < count; ++k) {
        const double fraction = (static_cast<double>(k) + 0.5) / static_cast<double>(count);
        captureMoment(in_data, shutterTime(*in_data, fraction), samples[static_cast<std::size_t>(k)]);
    }
    return samples;
}

} // namespace nebulastra
