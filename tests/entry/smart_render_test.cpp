// Both render paths through the built library: what is checked out and in, in which order, what
// the pre-render declares, and what happens when the host fails a checkout.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/host_abi.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;

constexpr int32_t kWidth = 24;
constexpr int32_t kHeight = 16;

SceneHost& started(SceneHost& host) {
    host.start();
    host.clearRecords();
    return host;
}

std::string text(const PF_LRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The most the effect can produce (the whole layer) never depends on the request; the result is
// the request cut to the layer, or nothing at all; the input is asked for what the host asked for.
TEST(SmartPreRender, DeclaresThePartOfTheRequestOnTheLayer) {
    SceneHost host(SceneHost::smallScene(kWidth, kHeight));
    started(host);
    const std::pair<PF_LRect, const char*> cases[] = {
        {{0, 0, 1920, 1080}, "0,0,24,16"},       {{2, 3, 20, 11}, "2,3,20,11"}, {{-5, -2, 4, 30}, "0,0,4,16"},
        {{kWidth, 0, kWidth + 8, 4}, "0,0,0,0"},                            // touches the right edge only
        {{-9, -9, -1, -1}, "0,0,0,0"},           {{7, 7, 3, 9}, "0,0,0,0"}, // inverted
    };
    for (const auto& [request, result] : cases) {
        host.clearRecords();
        host.setRequestRect(request.left, request.top, request.right, request.bottom);
        EXPECT_EQ(host.smartPreRender(5), PF_Err_NONE);
        const PF_PreRenderOutput& out = host.preRenderOutput();
        EXPECT_EQ(text(out.result_rect), result) << text(request);
        EXPECT_EQ(text(out.max_result_rect), "0,0,24,16") << text(request);
        EXPECT_EQ(out.pre_render_data, nullptr);
        ASSERT_EQ(host.layerCheckouts().size(), 1u);
        const scenehost::LayerCheckout& c = host.layerCheckouts()[0];
        EXPECT_EQ(
            std::vector<int32_t>({c.index, c.checkoutId, c.rectLeft, c.rectTop, c.rectRight, c.rectBottom}),
            std::vector<int32_t>({0, 0, request.left, request.top, request.right, request.bottom}));
        EXPECT_EQ(c.whatTime, host.inData().current_time);
        EXPECT_EQ(c.timeStep, host.inData().time_step);
        EXPECT_EQ(c.timeScale, host.inData().time_scale);
        EXPECT_TRUE(host.clean()) << host.report();
    }

    // A failed input checkout is returned, and the rectangles are still filled in.
    host.failLayerCheckout(PF_Err_OUT_OF_MEMORY);
    host.setRequestRect(2, 3, 20, 11);
    EXPECT_EQ(host.smartPreRender(0), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(text(host.preRenderOutput().result_rect), "2,3,20,11");
    EXPECT_EQ(text(host.preRenderOutput().max_result_rect), "0,0,24,16");
}

TEST(SmartRender, ChecksOutEveryParameterAtTheFrameTimeAndChecksEachInOnce) {
    SceneHost host(SceneHost::smallScene(kWidth, kHeight));
    started(host);
    ASSERT_EQ(host.requestFrame(3), PF_Err_NONE);
    const auto& checkouts = host.paramCheckouts();
    ASSERT_EQ(checkouts.size(), 62u);
    for (int32_t i = 0; i < 62; ++i) {
        EXPECT_EQ(checkouts[i].index, i + 1);
        EXPECT_EQ(checkouts[i].whatTime, host.inData().current_time);
        EXPECT_EQ(checkouts[i].timeStep, host.inData().time_step);
        EXPECT_EQ(checkouts[i].timeScale, host.inData().time_scale);
    }
    EXPECT_TRUE(host.paramsBalanced()) << host.report();
    // Parameters come back only after the frame is drawn.
    EXPECT_LT(host.log().last("checkout_param"), host.log().first("checkin_param"));
    EXPECT_EQ(host.output().poisonCount(), 0); // every pixel written
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST(SmartRender, FirstParameterFailureWinsAndOnlyCheckedOutOnesAreCheckedIn) {
    SceneHost host(SceneHost::smallScene(kWidth, kHeight));
    started(host);
    host.failParamCheckout(5, PF_Err_INVALID_INDEX);
    host.failParamCheckout(9, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.requestFrame(0), PF_Err_INVALID_INDEX);
    // The loop goes on past a failure: all 62 are asked for, in order.
    const auto& attempts = host.paramCheckouts();
    ASSERT_EQ(attempts.size(), 62u);
    EXPECT_EQ(attempts[4].index, 5);
    EXPECT_EQ(attempts[4].result, PF_Err_INVALID_INDEX);
    EXPECT_EQ(attempts[8].index, 9);
    EXPECT_EQ(attempts[8].result, PF_Err_OUT_OF_MEMORY);
    for (int32_t i = 1; i <= 62; ++i) {
        const scenehost::ParamBalance b = host.paramBalance(i);
        const int expected = (i == 5 || i == 9) ? 0 : 1;
        EXPECT_EQ(b.checkouts, expected) << "parameter " << i; // successful checkouts
        EXPECT_EQ(b.checkins, expected) << "parameter " << i;
    }
    EXPECT_EQ(host.output().poisonCount(), int64_t(kWidth) * kHeight); // nothing rendered
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST(SmartRender, FailedOrMissingWorldsEndTheCommandBeforeAnyParameter) {
    SceneHost host(SceneHost::smallScene(kWidth, kHeight));
    started(host);

    host.failLayerPixels(PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.requestFrame(0), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.outputCheckouts(), 0);
    EXPECT_EQ(host.log().count("checkout_param"), 0u);

    host.clearFailures();
    host.failOutputCheckout(PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(host.requestFrame(0), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(host.log().count("checkout_param"), 0u);

    host.clearFailures();
    host.withholdOutput(true);
    EXPECT_EQ(host.requestFrame(0), PF_Err_NONE);
    EXPECT_EQ(host.outputCheckouts(), 1);
    EXPECT_EQ(host.log().count("checkout_param"), 0u);
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
