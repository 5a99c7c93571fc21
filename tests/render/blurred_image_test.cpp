// The average of sub-frames: equal sub-frames give the frame itself at every depth, and the watch
// sees one frame of all their rows, so a stop between sub-frames ends the frame there. (The average
// of different sub-frames, through the host's shutter, is pinned by the motion-blurred reference
// frame.)

#include <gtest/gtest.h>

#include <vector>

#include "render/blurred_image.h"
#include "render/render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 12;

struct Picture {
    OutputDepth depth;
    std::vector<unsigned char> bytes;
    explicit Picture(OutputDepth d)
        : depth(d), bytes(static_cast<std::size_t>(kWidth) * kHeight * pixelBytes(), 0xCD) {}
    int32_t pixelBytes() const {
        return depth == OutputDepth::Float ? 16 : depth == OutputDepth::Bits16 ? 8 : 4;
    }
    OutputImage image() {
        return OutputImage{bytes.data(), kWidth * pixelBytes(), kWidth, kHeight, 0, 0, depth};
    }
};

RenderSettings lightAt(float x) {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::setFrontCamera(s, 500.0f);
    s.cloudSizePx = 4.0f;
    s.qualitySteps = 16;
    testing::addEmitter(s, x, 6, 0, 1.0f, 0.8f, 0.6f);
    return s;
}

TEST(BlurredImage, EqualSubFramesAverageToTheFrameAtEveryDepth) {
    const RenderSettings one = lightAt(20);
    const std::vector<RenderSettings> four(4, one); // a power of two: the mean of equal values is exact
    for (OutputDepth depth : {OutputDepth::Float, OutputDepth::Bits16, OutputDepth::Bits8}) {
        Picture single(depth), blurred(depth);
        ASSERT_TRUE(renderImage(one, single.image()));
        ASSERT_TRUE(renderBlurredImage(four.data(), 4, blurred.image()));
        EXPECT_EQ(blurred.bytes, single.bytes) << "depth " << static_cast<int>(depth);
    }
    // One sub-frame is the frame itself, and none leaves the image alone.
    Picture single(OutputDepth::Bits8), viaOne(OutputDepth::Bits8), none(OutputDepth::Bits8);
    ASSERT_TRUE(renderImage(one, single.image()));
    ASSERT_TRUE(renderBlurredImage(&one, 1, viaOne.image()));
    EXPECT_EQ(viaOne.bytes, single.bytes);
    EXPECT_TRUE(renderBlurredImage(&one, 0, none.image()));
    EXPECT_EQ(none.bytes, Picture(OutputDepth::Bits8).bytes);
}

// A watch that records what it is told and asks to stop once the rows reach `stopAfter`.
struct Recorder {
    int32_t stopAfter = -1, total = -1, last = -1;
    bool totalChanged = false, backwards = false;
    static bool poll(void* self, int32_t done, int32_t total) noexcept {
        Recorder& r = *static_cast<Recorder*>(self);
        r.totalChanged |= r.total >= 0 && total != r.total;
        r.backwards |= done < r.last;
        r.total = total;
        r.last = done;
        return r.stopAfter >= 0 && done >= r.stopAfter;
    }
};

TEST(BlurredImage, TheWatchCountsTheRowsOfEverySubFrameAndStopsBetweenThem) {
    const std::vector<RenderSettings> three = {lightAt(10), lightAt(20), lightAt(30)};
    Recorder whole;
    const RenderWatch wholeWatch{&Recorder::poll, &whole, 1};
    Picture p(OutputDepth::Bits8);
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
