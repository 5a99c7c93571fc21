// How many sub-frames a motion-blurred frame needs: not a CI test, the measurement behind
// kMaxShutterSamples (src/render/shutter_samples.h), run by hand (see bench/README.md).
//
//   nebulastra_shutter_samples_check [--width W] [--height H] [--travel T] [--size PERCENT]
//
// A light crosses a W x H frame seen pixel for pixel, travelling T pixels while the shutter is
// open (a fast pan: default 320 x 180, T = 240). The frame is rendered with one sub-frame per
// pixel of travel (the reference: what the adaptive count asks for without a cap) and with 8, 16,
// ..., 256 sub-frames spread over the same shutter, as the effect spreads them. For each count it
// prints the CPU time relative to one unblurred frame and how far the 8-bit result lies from the
// reference: the largest difference of any channel and the mean over all channels, in 8-bit
// levels, and the share of pixels that differ by more than one level.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "../tests/render/render_fixture.h"
#include "render/blurred_image.h"
#include "render/shutter_samples.h"

namespace {

using namespace nebulastra;

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Frame {
    std::vector<unsigned char> bytes;
    double cpu = 0.0;
};

Frame render(const RenderSettings& base, double travel, int32_t count, int32_t width, int32_t height) {
    std::vector<RenderSettings> samples(static_cast<std::size_t>(count), base);
    for (int32_t k = 0; k < count; ++k) {
        const double fraction = (k + 0.5) / count - 0.5; // centred on the frame's time
        samples[static_cast<std::size_t>(k)].emitters[0].position[0] =
            static_cast<float>(width * 0.5 + travel * fraction);
    }
    Frame f;
    f.bytes.assign(static_cast<std::size_t>(width) * height * 4, 0);
    const OutputImage image{f.bytes.data(), width * 4, width, height, 0, 0, OutputDepth::Bits8};
    const double start = cpuSeconds();
    renderBlurredImage(samples.data(), count, image);
    f.cpu = cpuSeconds() - start;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    int32_t width = 320, height = 180;
    double travel = 240.0, sizePercent = 30.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const double v = std::atof(argv[i + 1]);
        if (key == "--width")
            width = static_cast<int32_t>(v);
        else if (key == "--height")
            height = static_cast<int32_t>(v);
        else if (key == "--travel")
            travel = v;
        else if (key == "--size")
            sizePercent = v;
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }

    RenderSettings base = testing::defaultRenderSettings(width, height);
    testing::setFrontCamera(base, 1000.0f);
    base.cloudSizePx = static_cast<float>(height * sizePercent * 0.01);
    testing::addEmitter(base, width * 0.5f, height * 0.5f, 0.0f, 1.0f, 0.85f, 0.7f);

    const Frame still = render(base, 0.0, 1, width, height);
    const int32_t referenceCount = static_cast<int32_t>(std::ceil(travel / kShutterSampleStepPx));
    const Frame reference = render(base, travel, referenceCount, width, height);
    std::printf("%d x %d, cloud size %.0f px, travel %.0f px; one unblurred frame %.3f s CPU\n", width,
                height, base.cloudSizePx, travel, still.cpu);
    std::printf("%9s %10s %9s %10s %12s\n", "samples", "cpu/frame", "max diff", "mean diff", "pixels > 1");
    for (int32_t count = 8; count <= 256; count *= 2) {
        const Frame f = count == referenceCount ? reference : render(base, travel, count, width, height);
        int worst = 0;
        double sum = 0.0;
        std::size_t over = 0;
        for (std::size_t p = 0; p < f.bytes.size(); p += 4) {
            int pixelWorst = 0;
            for (int c = 0; c < 4; ++c) {
                const int d =
                    std::abs(static_cast<int>(f.bytes[p + c]) - static_cast<int>(reference.bytes[p + c]));
                pixelWorst = d > pixelWorst ? d : pixelWorst;
                sum += d;
            }
            worst = pixelWorst > worst ? pixelWorst : worst;
            over += pixelWorst > 1 ? 1 : 0;
        }
        std::printf("%9d %10.1f %9d %10.4f %11.3f%%\n", count, f.cpu / still.cpu, worst,
                    sum / static_cast<double>(f.bytes.size()),
                    100.0 * static_cast<double>(over) / static_cast<double>(f.bytes.size() / 4));
    }
    std::printf("reference: %d sub-frames, %.1f x one frame\n", referenceCount, reference.cpu / still.cpu);
    return 0;
}
