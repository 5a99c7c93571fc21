// The average of sub-frames: equal sub-frames give the frame itself at every depth, a cloud seen
// in half of the sub-frames is drawn at half strength, and the watch sees one frame of all their
// rows, so a stop between sub-frames ends the frame there.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/blurred_image.h"
#include "render/render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::defaultRenderSettings;
using testing::setFrontCamera;

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 12;

int32_t bytesPerPixel(OutputDepth depth) {
    return depth == OutputDepth::Float ? 16 : depth == OutputDepth::Bits16 ? 8 : 4;
}

struct Picture {
    OutputDepth depth;
    std::vector<unsigned char> bytes;
    OutputImage image() {
        return OutputImage{bytes.data(), kWidth * bytesPerPixel(depth), kWidth, kHeight, 0, 0, depth};
    }
    float floatAt(int32_t x, int32_t y, int channel) const { // 0 alpha, 1 red, 2 green, 3 blue
        float v;
        std::memcpy(&v, bytes.data() + (static_cast<std::size_t>(y) * kWidth + x) * 16 + channel * 4,
                    sizeof v);
        return v;
    }
};

Picture blank(OutputDepth depth) {
    return Picture{depth, std::vector<unsigned char>(
                              static_cast<std::size_t>(kWidth) * kHeight * bytesPerPixel(depth), 0xCD)};
}

RenderSettings lightAt(float x) {
    RenderSettings s = defaultRenderSettings(kWidth, kHeight);
    setFrontCamera(s, 500.0f);
    s.cloudSizePx = 4.0f;
    s.qualitySteps = 16;
    addEmitter(s, x, 6, 0, 1.0f, 0.8f, 0.6f);
    return s;
}

TEST(BlurredImage, EqualSubFramesAverageToTheFrameAtEveryDepth) {
    const RenderSettings one = lightAt(20);
    const std::vector<RenderSettings> four(4, one); // a power of two: the mean of equal values is exact
    for (OutputDepth depth : {OutputDepth::Float, OutputDepth::Bits16, OutputDepth::Bits8}) {
        Picture single = blank(depth), blurred = blank(depth);
        ASSERT_TRUE(renderImage(one, single.image()));
        ASSERT_TRUE(renderBlurredImage(four.data(), 4, blurred.image()));
        EXPECT_EQ(blurred.bytes, single.bytes) << "depth " << static_cast<int>(depth);
    }
    // One sub-frame is the frame itself, and none leaves the image alone.
    Picture single = blank(OutputDepth::Bits8), viaOne = blank(OutputDepth::Bits8),
            none = blank(OutputDepth::Bits8);
    ASSERT_TRUE(renderImage(one, single.image()));
    ASSERT_TRUE(renderBlurredImage(&one, 1, viaOne.image()));
    EXPECT_EQ(viaOne.bytes, single.bytes);
    EXPECT_TRUE(renderBlurredImage(&one, 0, none.image()));
    EXPECT_EQ(none.bytes, blank(OutputDepth::Bits8).bytes);
}

TEST(BlurredImage, ACloudInHalfTheSubFramesIsDrawnAtHalfStrength) {
    // Two far-apart clouds, one per sub-frame: where only one of them reaches, the average holds
    // exactly half its value (a power-of-two division of a sum with zero).
    const RenderSettings left = lightAt(8), right = lightAt(32);
    const RenderSettings pair[2] = {left, right};
    Picture l = blank(OutputDepth::Float), r = blank(OutputDepth::Float), mean = blank(OutputDepth::Float);
    ASSERT_TRUE(renderImage(left, l.image()));
    ASSERT_TRUE(renderImage(right, r.image()));
    ASSERT_TRUE(renderBlurredImage(pair, 2, mean.image()));
    int checked = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 4; ++c) {
                const float a = l.floatAt(x, y, c), b = r.floatAt(x, y, c);
                if (b == 0.0f && a > 0.0f) {
                    EXPECT_EQ(mean.floatAt(x, y, c), a * 0.5f) << x << ", " << y;
                    ++checked;
                } else if (a == 0.0f && b > 0.0f) {
                    EXPECT_EQ(mean.floatAt(x, y, c), b * 0.5f) << x << ", " << y;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 40); // both clouds drawn, apart
}

// A watch that records what it is told and asks to stop once the rows pass `stopAfter`.
struct Recorder {
    int32_t stopAfter = -1;
    int32_t total = -1;
    bool totalChanged = false;
    bool backwards = false;
    int32_t last = -1;
    int polls = 0;
    static bool poll(void* self, int32_t done, int32_t total) noexcept {
        Recorder& r = *static_cast<Recorder*>(self);
        ++r.polls;
        if (r.total >= 0 && total != r.total) r.totalChanged = true;
        r.total = total;
        if (done < r.last) r.backwards = true;
        r.last = done;
        return r.stopAfter >= 0 && done >= r.stopAfter;
    }
};

TEST(BlurredImage, TheWatchCountsTheRowsOfEverySubFrameAndStopsBetweenThem) {
    const std::vector<RenderSettings> three = {lightAt(10), lightAt(20), lightAt(30)};
    Recorder whole;
    const RenderWatch wholeWatch{&Recorder::poll, &whole, 1};
    Picture p = blank(OutputDepth::Bits8);
    ASSERT_TRUE(renderBlurredImage(three.data(), 3, p.image(), &wholeWatch));
    EXPECT_EQ(whole.total, 3 * kHeight);
    EXPECT_EQ(whole.last, 3 * kHeight);
    EXPECT_FALSE(whole.totalChanged);
    EXPECT_FALSE(whole.backwards);

    // Asked to stop as soon as the first sub-frame is done: no row of the others is counted.
    Recorder stopper;
    stopper.stopAfter = kHeight;
    const RenderWatch stopWatch{&Recorder::poll, &stopper, 1};
    EXPECT_FALSE(renderBlurredImage(three.data(), 3, p.image(), &stopWatch));
    EXPECT_EQ(stopper.last, kHeight);
    EXPECT_FALSE(stopper.backwards);
}

} // namespace
} // namespace nebulastra
