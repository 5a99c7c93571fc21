// Two measurements of the effect as a citizen of a host that renders several frames at once, run
// by hand (see bench/README.md):
//   nebulastra_frames_at_once latency [WIDTH HEIGHT]  how long a 1080p float frame takes to return
//       after the host's abort first answers "cancel", through the effect library and the scene
//       host, for requests at several points of the frame;
//   nebulastra_frames_at_once threads [SIZE]          frames per second and CPU seconds per frame
//       when K frames render at once, each on T row workers (T = 1, the rule's count for this
//       machine, 16, 64).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "../tests/render/render_fixture.h"
#include "render/cloud_field.h"
#include "render/render_image.h"
#include "render/render_rows.h"
#include "render/row_bands.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// examples/sunset_tower.json scaled to width x height: one towering, self-shadowed cloud.
scenefile::Scene tower(int width, int height) {
    const double k = height / 270.0;
    auto n = [&](double v) { return std::to_string(v * k); };
    const std::string cx = std::to_string(width / 2.0);
    const std::string text = R"({"composition": {"width": )" + std::to_string(width) + R"(, "height": )" +
                             std::to_string(height) + R"(, "frameRate": 24},
      "camera": {"position": [)" +
                             cx + ", " + n(60) + ", " + n(-1350) + R"(], "pointOfInterest": [)" + cx + ", " +
                             n(140) + R"(, 0]},
      "layers": [{"name": "cumulonimbus", "type": "light", "position": [)" +
                             cx + ", " + n(215) + R"(, 0],
                  "color": [1.0, 0.66, 0.40], "intensity": 100, "shadowDarkness": 100}],
      "effect": {"cloudSize": )" +
                             n(28) +
                             R"(, "tower": 100, "flattenBase": 85, "scaleX": 85, "scaleY": 130,
        "billow": 100, "billowMap": "Puffy", "billowSize": 2, "edgeSoftness": 3, "edgeErosion": 30,
        "sunAzimuth": -75, "sunElevation": 8, "sunIntensity": 220, "ambient": 15, "selfShadow": 180,
        "density": 260}, "render": {"depth": 32}})";
    return scenefile::parseScene(text, "tower");
}

int latency(int width, int height) {
    scenehost::SceneHost host(tower(width, height));
    host.start();
    const Clock::time_point start = Clock::now();
    if (host.requestFrame(0) != 0) return 1;
    const double whole = msSince(start);
    std::printf("%d x %d float frame, uninterrupted: %.0f ms (%d abort polls, %zu progress reports)\n", width,
                height, whole, host.abortPolls(), host.progressReports().size());
    double worst = 0.0;
    for (double at : {0.1, 0.25, 0.4, 0.5, 0.6, 0.75, 0.9}) {
        scenehost::Interrupt interrupt;
        interrupt.afterTime = std::chrono::microseconds(static_cast<long long>(whole * at * 1000.0));
        host.setInterrupt(interrupt);
        const int err = host.requestFrame(0);
        const double ms = host.stopLatency() ? host.stopLatency()->count() / 1000.0 : -1.0;
        worst = std::max(worst, ms);
        std::printf("  cancel at %3.0f %% of the frame: returned %d, %.1f ms after the request, %s\n",
                    at * 100, err, ms, host.clean() ? "host clean" : host.report().c_str());
    }
    std::printf("worst: %.1f ms\n", worst);
    return 0;
}

double processCpuSeconds() {
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return static_cast<double>(self.ru_utime.tv_sec + self.ru_stime.tv_sec) +
           static_cast<double>(self.ru_utime.tv_usec + self.ru_stime.tv_usec) * 1e-6;
}

struct Throughput {
    double framesPerSecond;
    double cpuPerFrameMs;
};

// K frames at once, each through its own runRowBandsWith(T).
Throughput framesAtOnce(const RenderSettings& s, int width, int height, int frames, int threadsEach) {
    const CloudField field = makeCloudField(s);
    const RowWorker worker = kernelFor(renderIsa()).shadeRows;
    auto start = [](int32_t, std::function<void()> work) { return std::thread(std::move(work)); };
    const int rounds = 3;
    const double cpu0 = processCpuSeconds();
    const Clock::time_point t0 = Clock::now();
    std::vector<std::thread> hostThreads;
    for (int f = 0; f < frames; ++f) {
        hostThreads.emplace_back([&] {
            std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
            const FrameContext context = frameContext({reinterpret_cast<unsigned char*>(pixels.data()),
                                                       static_cast<std::ptrdiff_t>(width) * 16, width, height,
                                                       0, 0, OutputDepth::Float},
                                                      field);
            for (int r = 0; r < rounds; ++r) runRowBandsWith(threadsEach, height, context, worker, start);
        });
    }
    for (std::thread& t : hostThreads) t.join();
    const double wall = msSince(t0) / 1000.0;
    return {frames * rounds / wall, (processCpuSeconds() - cpu0) * 1000.0 / (frames * rounds)};
}

int threads(int height) {
    const int width = height * 16 / 9;
    RenderSettings s = testing::defaultRenderSettings(width, height);
    testing::addEmitter(s, width * 0.5f, height * 0.55f, 0, 1.0f, 0.7f, 0.5f);
    s.cloudSizePx = height * 0.3f;
    const unsigned reported = std::thread::hardware_concurrency();
    const int rule = planRows(static_cast<int32_t>(std::min(reported, 1u << 20)), height).workers;
    std::printf("%d x %d float frames, %u hardware threads (the rule gives %d workers a frame)\n", width,
                height, reported, rule);
    std::printf("frames per second (CPU ms per frame)\n");
    std::printf("frames at once | 1 worker each   | %2d (rule)       | 16              | 64\n", rule);
    for (int k : {1, 2, 4, 8}) {
        std::printf("%14d", k);
        for (int workers : {1, rule, 16, 64}) {
            const Throughput t = framesAtOnce(s, width, height, k, workers);
            std::printf(" | %6.2f (%6.1f)", t.framesPerSecond, t.cpuPerFrameMs);
        }
        std::printf("\n");
    }
    return 0;
}

} // namespace
} // namespace nebulastra

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "latency")
        return nebulastra::latency(argc > 3 ? std::atoi(argv[2]) : 1920,
                                   argc > 3 ? std::atoi(argv[3]) : 1080);
    if (what == "threads") return nebulastra::threads(argc > 2 ? std::atoi(argv[2]) : 180);
    std::fprintf(stderr, "usage: %s latency [WIDTH HEIGHT] | threads [HEIGHT]\n", argv[0]);
    return 2;
}
