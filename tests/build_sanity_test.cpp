#include <gtest/gtest.h>

#include "records/render_settings.h"

// The snapshot is handed to worker threads by reference and copied nowhere: it must stay a plain,
// trivially copyable record so zero-initialisation means "no emitters, no camera".
TEST(RenderSettingsRecord, IsPlainData) {
    static_assert(std::is_trivially_copyable_v<nebulastra::RenderSettings>);
    nebulastra::RenderSettings settings{};
    EXPECT_EQ(settings.emitterCount, 0);
    EXPECT_FALSE(settings.camera.valid);
}
