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

bool allTransparentBlack(scenehost::HostWorld& world) {
    for (int32_t y = 0; y < world.height(); ++y) {
        for (int32_t x = 0; x < world.width(); ++x) {
            const scenehost::ArgbF p = world.pixel(x, y);
            if (p.alpha != 0 || p.red != 0 || p.green != 0 || p.blue != 0) return false;
        }
    }
    return true;
}

void expectRect(const PF_LRect& r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(SmartPreRender, DeclaresThePartOfTheRequestOnTheLayer) {
    SceneHost host(SceneHost::smallScene(kWidth, kHeight));
    started(host);
    // Larger than the layer: a generator produces the whole layer, and no more.
    host.setRequestRect(0, 0, 1920, 1080);
    EXPECT_EQ(host.smartPreRender(5), PF_Err_NONE);
    const PF_PreRenderOutput& out = host.preRenderOutput();
    expectRect(out.result_rect, 0, 0, kWidth, kHeight);
    expectRect(out.max_result_rect, 0, 0, kWidth, kHeight);
    EXPECT_EQ(out.pre_render_data, nullptr);

    ASSERT_EQ(host.layerCheckouts().size(), 1u);
    const scenehost::LayerCheckout& c = host.layerCheckouts()[0];
    EXPECT_EQ(c.index, 0);
    EXPECT_EQ(c.checkoutId, 0);
    EXPECT_EQ(c.rectRight, 1920); // the input is asked for what the host asked for
    EXPECT_EQ(c.rectBottom, 1080);
    EXPECT_EQ(c.whatTime, host.inData().current_time);
    EXPECT_EQ(c.timeStep, host.inData().time_step);
    EXPECT_EQ(c.timeScale, host.inData().time_scale);
    EXPECT_TRUE(host.clean()) << host.report();

    // The most the effect can produce never depends on the request; the result is the request
    // cut to the layer, or nothing at all.
    struct Case {
        PF_LRect request, result;
    };
    const Case cases[] = {
        {{2, 3, 20, 11}, {2, 3, 20, 11}},           {{-5, -2, 4, 30}, {0, 0, 4, kHeight}},
        {{kWidth, 0, kWidth + 8, 4}, {0, 0, 0, 0}}, // touches the right edge only
        {{-9, -9, -1, -1}, {0, 0, 0, 0}},           {{7, 7, 3, 9}, {0, 0, 0, 0}}, // inverted
    };
    for (const Case& k : cases) {
        host.setRequestRect(k.request.left, k.request.top, k.request.right, k.request.bottom);
        EXPECT_EQ(host.smartPreRender(0), PF_Err_NONE);
        SCOPED_TRACE(std::to_string(k.request.left) + "," + std::to_string(k.request.top));
        expectRect(host.preRenderOutput().result_rect, k.result.left, k.result.top, k.result.right,
                   k.result.bottom);
        expectRect(host.preRenderOutput().max_result_rect, 0, 0, kWidth, kHeight);
    }

    // A failed input checkout is returned, and the rectangles are still filled in.
    host.failLayerCheckout(PF_Err_OUT_OF_MEMORY);
    host.setRequestRect(2, 3, 20, 11);
    EXPECT_EQ(host.smartPreRender(0), PF_Err_OUT_OF_MEMORY);
    expectRect(host.preRenderOutput().result_rect, 2, 3, 20, 11);
    expectRect(host.preRenderOutput().max_result_rect, 0, 0, kWidth, kHeight);
}

TEST(SmartPreRender, TheLayerShrinksWithTheDownsampleRoundingUp) {
    // in_data's width and height stay the full-resolution layer's; a partly covered last pixel
    // still belongs to the layer.
    struct Case {
        int downsample;
        int32_t width, height;
    };
    for (const Case& k : {Case{1, 25, 17}, Case{2, 13, 9}, Case{3, 9, 6}, Case{4, 7, 5}}) {
        scenehost::Scene s = SceneHost::smallScene(25, 17);
        s.render.downsample = k.downsample;
        SceneHost host(s);
        started(host);
        EXPECT_EQ(host.smartPreRender(0), PF_Err_NONE);
        SCOPED_TRACE("downsample 1/" + std::to_string(k.downsample));
        expectRect(host.preRenderOutput().max_result_rect, 0, 0, k.width, k.height);
        expectRect(host.preRenderOutput().result_rect, 0, 0, k.width, k.height);
    }
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
    // No lights in the scene: the frame is transparent black, every pixel written.
    EXPECT_EQ(host.output().poisonCount(), 0);
    EXPECT_TRUE(allTransparentBlack(host.output()));
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
