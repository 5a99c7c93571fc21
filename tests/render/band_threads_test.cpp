// Sixteen worker threads on one frame, at every depth, over several frames of an animated scene:
// the picture is the one a single worker draws. Under the thread check (the tsan preset) this is
// also where a data race between workers, or between the workers and the driver, would show.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "render/render_rows.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 8;
constexpr int32_t kHeight = 16; // one row per band: sixteen threads at once

std::thread startThread(RowWorker worker, const RowBand& band) { return std::thread(worker, band); }

TEST(BandThreads, SixteenBandsDrawWhatOneDrawsAtEveryDepthAndFrame) {
    struct Depth {
        RowWorker worker;
        std::ptrdiff_t pixelBytes;
    };
    const Depth depths[] = {{renderRows8, 4}, {renderRows16, 8}, {renderRowsFloat, 16}};
    for (float seconds : {0.0f, 1.25f}) {
        RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
        testing::setFrontCamera(s, 40.0f);
        testing::addEmitter(s, 5, 9, 0, 1.0f, 0.7f, 0.4f);
        testing::addEmitter(s, 8, 7, 5, 0.3f, 0.5f, 1.0f, 0.6f);
        s.timeSeconds = seconds;
        s.evolutionSpeed = 1.0f;
        s.qualitySteps = 8;
        const PreparedFrame prepared = prepareFrame(s);
        const CloudField field = makeCloudField(s, prepared);
        for (const Depth& d : depths) {
            const std::ptrdiff_t rowbytes = kWidth * d.pixelBytes + 8;
            auto draw = [&](int32_t threads) {
                std::vector<unsigned char> bytes(static_cast<std::size_t>(rowbytes * kHeight), 0xCD);
                const FrameContext context{bytes.data(), rowbytes, kWidth, 0, 0, &s, &prepared, &field};
                runRowBandsWith(threads, kHeight, context, d.worker, startThread);
                return bytes;
            };
            const std::vector<unsigned char> one = draw(1);
            EXPECT_EQ(draw(16), one) << d.pixelBytes << "-byte pixels at " << seconds << " s";
            EXPECT_NE(one, std::vector<unsigned char>(one.size(), 0xCD));
        }
    }
}

} // namespace
} // namespace nebulastra
