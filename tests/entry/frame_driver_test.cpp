// The frame driver against a host that offers only "PF World Suite" 2 (or nothing at all): scene
// capture then finds no lights, so every pixel is transparent black, written at the depth the
// host reports and nowhere else, and every suite acquired is released.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "entry/frame_driver.h"
#include "host/host_abi.h"
#include "render/render_fixture.h"

namespace nebulastra {
namespace {

struct FakeHost {
    bool offerWorldSuite = true;
    PF_PixelFormat format = PF_PixelFormat_ARGB32;
    int worldAcquired = 0;
    int worldReleased = 0;
    int otherReleased = 0;
};
FakeHost gHost;

PF_Err getPixelFormat(const PF_EffectWorld*, PF_PixelFormat* format) {
    *format = gHost.format;
    return PF_Err_NONE;
}
const PF_WorldSuite2 kWorldSuite = {nullptr, nullptr, getPixelFormat};

bool isWorldSuite(const char* name, int32_t version) {
    return std::strcmp(name, kPFWorldSuite) == 0 && version == kPFWorldSuiteVersion2;
}

SPErr acquireSuite(const char* name, int32_t version, const void** suite) {
    if (gHost.offerWorldSuite && isWorldSuite(name, version)) {
        ++gHost.worldAcquired;
        *suite = &kWorldSuite;
        return kSPNoError;
    }
    *suite = nullptr;
    return kSPSuiteNotFoundError;
}

SPErr releaseSuite(const char* name, int32_t version) {
    if (isWorldSuite(name, version)) {
        ++gHost.worldReleased;
    } else {
        ++gHost.otherReleased;
    }
    return kSPNoError;
}

constexpr int32_t kWidth = 5;
constexpr int32_t kHeight = 4;
constexpr std::ptrdiff_t kRowbytes = kWidth * 16 + 12; // room for the widest pixels, plus padding
constexpr unsigned char kPoison = 0xCD;

// Renders into a poisoned world and returns how many leading bytes of each row were cleared;
// -1 if rows differ or anything but a leading run was touched.
std::ptrdiff_t clearedBytesPerRow() {
    SPBasicSuite basic{};
    basic.AcquireSuite = acquireSuite;
    basic.ReleaseSuite = releaseSuite;
    PF_InData in_data{};
    in_data.pica_basicP = &basic;

    std::vector<unsigned char> bytes(kRowbytes * kHeight, kPoison);
    PF_EffectWorld output{};
    output.data = bytes.data();
    output.rowbytes = static_cast<A_long>(kRowbytes);
    output.width = kWidth;
    output.height = kHeight;

    RenderSettings settings = testing::defaultRenderSettings(kWidth, kHeight);
    driveFrame(&in_data, &output, settings);
    EXPECT_EQ(settings.emitterCount, 0);

    std::ptrdiff_t cleared = -1;
    for (int32_t y = 0; y < kHeight; ++y) {
        const unsigned char* row = bytes.data() + y * kRowbytes;
        std::ptrdiff_t zeros = 0;
        while (zeros < kRowbytes && row[zeros] == 0) ++zeros;
        for (std::ptrdiff_t i = zeros; i < kRowbytes; ++i) {
            if (row[i] != kPoison) return -1;
        }
        if (y > 0 && zeros != cleared) return -1;
        cleared = zeros;
    }
    return cleared;
}

TEST(FrameDriver, WritesAtTheReportedDepth) {
    const struct {
        PF_PixelFormat format;
        std::ptrdiff_t pixelBytes;
    } cases[] = {
        {PF_PixelFormat_ARGB128, 16}, {PF_PixelFormat_ARGB64, 8}, {PF_PixelFormat_ARGB32, 4},
        {PF_PixelFormat_INVALID, 4},  {PF_PixelFormat_BGRA32, 4}, // any other format takes the 8-bit path
    };
    for (const auto& c : cases) {
        gHost = FakeHost{};
        gHost.format = c.format;
        EXPECT_EQ(clearedBytesPerRow(), kWidth * c.pixelBytes) << "format " << c.format;
        EXPECT_EQ(gHost.worldAcquired, 1);
        EXPECT_EQ(gHost.worldReleased, 1);
        EXPECT_EQ(gHost.otherReleased, 0); // the refused suites were never acquired
    }
}

TEST(FrameDriver, WithoutTheWorldSuiteRendersEightBit) {
    gHost = FakeHost{};
    gHost.offerWorldSuite = false;
    gHost.format = PF_PixelFormat_ARGB128; // would be reported, were the suite offered
    EXPECT_EQ(clearedBytesPerRow(), kWidth * 4);
    EXPECT_EQ(gHost.worldAcquired, 0);
    EXPECT_EQ(gHost.worldReleased, 0); // nothing acquired, nothing released
}

} // namespace
} // namespace nebulastra
