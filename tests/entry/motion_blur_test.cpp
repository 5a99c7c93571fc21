// Motion blur end to end, through the effect library as built and the strict scene host: a shutter
// centred on the frame's time smears both ways alike, and the host's cancel and progress reach over
// all the sub-frames. (The default shutter's frame is pinned by the motion-blurred reference frame.)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::ArgbF;
using scenehost::HostWorld;
using scenehost::Interrupt;
using scenehost::SceneHost;

constexpr int32_t kWidth = 200;
constexpr int32_t kHeight = 48;
constexpr int32_t kLightRow = 24;
constexpr int32_t kFrame = 1; // the light passes x = kCentreX at this frame's time
constexpr double kCentreX = 100.0;
constexpr int32_t kCancel = 517; // PF_Interrupt_CANCEL

// A 24 fps composition seen pixel for pixel by its default camera, with one light crossing it
// along x at `pixelsPerFrame` (it stands at kCentreX at frame kFrame) and the composition's
// shutter `angle` / `phase`.
scenefile::Scene crossing(double pixelsPerFrame, bool motionBlur, double angle = 180, double phase = -90,
                          const std::string& effect = "") {
    const double perSecond = pixelsPerFrame * 24.0;
    const double x0 = kCentreX - pixelsPerFrame * kFrame; // at t = 0
    const std::string text =
        R"({"composition": {"width": 200, "height": 48, "frameRate": 24, "shutterAngle": )" +
        std::to_string(angle) + R"(, "shutterPhase": )" + std::to_string(phase) + R"(},
            "layer": {"motionBlur": )" +
        (motionBlur ? "true" : "false") + R"(},
            "camera": {},
            "layers": [{"name": "cloud", "type": "light", "color": [1, 0.9, 0.8],
                        "position": [[{"t": 0, "v": )" +
        std::to_string(x0) + R"(}, {"t": 10, "v": )" + std::to_string(x0 + perSecond * 10) + R"(}], 24, 0]}],
            "effect": {"cloudSize": 20, "qualitySteps": 16, "billowDetail": 2, "selfShadow": 0)" +
        effect + R"(}})";
    scenefile::Scene s = scenefile::parseScene(text, "crossing");
    s.render.depth = 32;
    return s;
}

std::vector<ArgbF> renderFrame(SceneHost& host, int32_t frame = kFrame) {
    EXPECT_EQ(host.requestFrame(frame), 0);
    EXPECT_EQ(host.output().poisonCount(), 0);
    EXPECT_TRUE(host.clean()) << host.report();
    std::vector<ArgbF> pixels;
    const HostWorld& w = host.output();
    for (int32_t y = 0; y < w.height(); ++y)
        for (int32_t x = 0; x < w.width(); ++x) pixels.push_back(w.pixel(x, y));
    return pixels;
}

std::vector<ArgbF> render(const scenefile::Scene& scene, int32_t frame = kFrame) {
    SceneHost host(scene);
    host.start();
    return renderFrame(host, frame);
}

// The cloud's trace along the light's row: from the first to the last column whose alpha reaches
// `threshold`.
int32_t traceLength(const std::vector<ArgbF>& pixels, float threshold) {
    int32_t first = -1, last = -1;
    for (int32_t x = 0; x < kWidth; ++x) {
        if (pixels[static_cast<std::size_t>(kLightRow) * kWidth + x].alpha >= threshold) {
            if (first < 0) first = x;
            last = x;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// Where the trace's weight lies along the row: the alpha-weighted mean column.
double traceCentre(const std::vector<ArgbF>& pixels) {
    double sum = 0.0, weighted = 0.0;
    for (int32_t x = 0; x < kWidth; ++x) {
        const double a = pixels[static_cast<std::size_t>(kLightRow) * kWidth + x].alpha;
        sum += a;
        weighted += a * (x + 0.5);
    }
    return weighted / sum;
}

TEST(MotionBlur, AShutterCentredOnTheFrameSmearsBothWaysAlike) {
    // Constant speed, 360 degrees from -180: the light covers the same positions whether it
    // travels right or left, so the frame is the same up to the order of the sums.
    const std::string frozenNoise = R"(, "evolutionSpeed": 0)";
    const std::vector<ArgbF> right = render(crossing(40, true, 360, -180, frozenNoise));
    const std::vector<ArgbF> left = render(crossing(-40, true, 360, -180, frozenNoise));
    ASSERT_EQ(right.size(), left.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < right.size(); ++i)
        for (float ArgbF::*c : {&ArgbF::alpha, &ArgbF::red, &ArgbF::green, &ArgbF::blue})
            worst = std::fmax(worst, std::fabs(right[i].*c - left[i].*c));
    EXPECT_LT(worst, 1e-5);
    // ...and it is blurred: longer than the still frame by the 40 pixels of its path.
    const int32_t longer = traceLength(right, 0.02f) - traceLength(render(crossing(40, false)), 0.02f);
    EXPECT_GE(longer, 32);

    // With the noise evolving, each position is drawn at the moment the light passes it, which
    // depends on the direction: the two frames differ.
    const std::string fastNoise = R"(, "evolutionSpeed": 1000)";
    const std::vector<ArgbF> rightEvolving = render(crossing(40, true, 360, -180, fastNoise));
    const std::vector<ArgbF> leftEvolving = render(crossing(-40, true, 360, -180, fastNoise));
    double evolved = 0.0;
    for (std::size_t i = 0; i < right.size(); ++i)
        evolved = std::fmax(evolved, std::fabs(rightEvolving[i].alpha - leftEvolving[i].alpha));
    EXPECT_GT(evolved, 1e-3);

    // A shutter opening at the frame's time is not centred: the two directions differ.
    const std::vector<ArgbF> rightAhead = render(crossing(40, true, 360, 0, frozenNoise));
    const std::vector<ArgbF> leftAhead = render(crossing(-40, true, 360, 0, frozenNoise));
    EXPECT_GT(traceCentre(rightAhead) - traceCentre(leftAhead), 30.0);
}

TEST(MotionBlur, CancelAndProgressSpanEverySubFrame) {
    // A blurred frame reports the rows of all its sub-frames, up to their total, once.
    SceneHost host(crossing(100, true));
    host.start();
    renderFrame(host);
    const std::vector<scenehost::ProgressReport>& reports = host.progressReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_GE(reports.back().total, 40 * kHeight); // a sub-frame per pixel of the 50-pixel path
    EXPECT_EQ(reports.back().current, reports.back().total);

    // A cancel once three sub-frames are done ends the frame with the host's code, everything
    // checked in and released.
    Interrupt stop;
    stop.afterRows = 3 * kHeight;
    host.setInterrupt(stop);
    EXPECT_EQ(host.requestFrame(kFrame), kCancel);
    EXPECT_TRUE(host.clean()) << host.report();
    ASSERT_FALSE(host.progressReports().empty());
    EXPECT_LT(host.progressReports().back().current, host.progressReports().back().total);

    // And at the first poll, before any sub-frame has a row.
    Interrupt early;
    early.afterPolls = 1;
    host.setInterrupt(early);
    EXPECT_EQ(host.requestFrame(kFrame), kCancel);
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
