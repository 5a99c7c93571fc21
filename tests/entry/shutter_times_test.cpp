// Moments of the open shutter in the host's time: checked in seconds against the shutter's
// definition (it opens phase/360 of a frame after the frame's time and stays open angle/360 of a
// frame), on the time bases After Effects uses.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "entry/shutter_times.h"

namespace nebulastra {
namespace {

PF_InData clock(int32_t currentTime, int32_t timeStep, uint32_t timeScale, double angle, double phase) {
    PF_InData in{};
    in.current_time = currentTime;
    in.time_step = timeStep;
    in.time_scale = timeScale;
    in.shutter_angle = static_cast<PF_Fixed>(angle * 65536.0);
    in.shutter_phase = static_cast<PF_Fixed>(phase * 65536.0);
    return in;
}

double seconds(const A_Time& t) { return static_cast<double>(t.value) / static_cast<double>(t.scale); }

TEST(ShutterTimes, TheShutterOpensAtThePhaseAndStaysOpenForTheAngle) {
    struct Case {
        const char* what;
        int32_t frame, step;
        uint32_t scale;
        double angle, phase, fraction, frames; // expected: the moment in frames
    };
    const Case cases[] = {
        {"24 fps, 180 / -90, opens", 10, 1, 24, 180, -90, 0.0, 9.75},
        {"24 fps, 180 / -90, closes", 10, 1, 24, 180, -90, 1.0, 10.25},
        {"24 fps, 180 / -90, middle", 10, 1, 24, 180, -90, 0.5, 10.0},
        {"2400 / 100 time base", 10, 100, 2400, 180, -90, 0.0, 9.75},
        {"29.97, 360 / -180, middle is the frame", 7, 1001, 30000, 360, -180, 0.5, 7.0},
        {"29.97, 360 / -180, opens half a frame early", 7, 1001, 30000, 360, -180, 0.0, 6.5},
        {"720 / 0 spans two frames", 3, 1, 25, 720, 0, 1.0, 5.0},
        {"a quarter of 90 / 45", 100, 1, 60, 90, 45, 0.25, 100.1875},
    };
    for (const Case& c : cases) {
        const PF_InData in = clock(c.frame * c.step, c.step, c.scale, c.angle, c.phase);
        ASSERT_TRUE(shutterIsOpen(in)) << c.what;
        const A_Time t = shutterTime(in, c.fraction);
        const double frameSeconds = static_cast<double>(c.step) / c.scale;
        // Ticks of at least 1 / (scale x 2^10) of a second: far finer than any sub-frame.
        EXPECT_NEAR(seconds(t), c.frames * frameSeconds, 1.0 / (static_cast<double>(c.scale) * 1024.0))
            << c.what;
        EXPECT_EQ(t.scale % c.scale, 0u) << c.what; // a finer scale of the host's own
    }
}

TEST(ShutterTimes, LateFramesAndFineTimeBasesNeverOverflow) {
    // The last frame a 32-bit time can hold, at 60000 ticks a second: the finer scale must give
    // way so that neither the value nor the scale wraps around.
    const int32_t step = 1001;
    const int32_t lastFrame = (std::numeric_limits<int32_t>::max() - step) / step;
    const PF_InData in = clock(lastFrame * step, step, 60000, 180, -90);
    for (double fraction : {0.0, 0.5, 1.0}) {
        const A_Time t = shutterTime(in, fraction);
        const double expected = (lastFrame - 0.25 + 0.5 * fraction) * step / 60000.0;
        EXPECT_NEAR(seconds(t), expected, 1.0 / 60000.0) << fraction;
        EXPECT_GT(t.scale, 0u);
    }
}

TEST(ShutterTimes, AClosedShutterOrAMissingTimeBaseMeansNoBlurAndNoNegativeSeconds) {
    EXPECT_FALSE(shutterIsOpen(clock(24, 1, 24, 0, -90)));
    EXPECT_FALSE(shutterIsOpen(clock(24, 1, 24, -180, 0)));
    EXPECT_FALSE(shutterIsOpen(clock(24, 0, 24, 180, -90)));
    EXPECT_FALSE(shutterIsOpen(clock(24, 1, 0, 180, -90)));
    EXPECT_TRUE(shutterIsOpen(clock(24, 1, 24, 1.0 / 65536.0, 0)));
    // Noise seconds are never negative.
    EXPECT_EQ(shutterSeconds(A_Time{-5, 24}), 0.0f);
    EXPECT_EQ(shutterSeconds(A_Time{5, 0}), 0.0f);
    EXPECT_EQ(shutterSeconds(A_Time{36, 24}), 1.5f);
}

} // namespace
} // namespace nebulastra
