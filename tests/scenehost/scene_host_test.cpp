// The scene host's own strictness, exercised by playing a misbehaving effect against its
// callbacks and suites inside runAsCommand (no effect library needed): refused suites, unbalanced
// acquires and checkouts, calls from other threads and interruption. Its composition answers, the
// failures it injects and its memory handles are checked through scene capture, whose tests count
// every handle issued, locked and freed.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <thread>
#include <utility>

#include "host/host_abi.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra::scenehost {
namespace {

using namespace nebulastra::scenefile; // the scene model the host plays

template <typename Suite>
const Suite* acquire(SceneHost& host, const char* name, int32_t version) {
    const void* table = nullptr;
    EXPECT_EQ(host.inData().pica_basicP->AcquireSuite(name, version, &table), kSPNoError) << name;
    return static_cast<const Suite*>(table);
}

bool hasFault(const SceneHost& host, const std::string& part) {
    for (const std::string& f : host.faults())
        if (f.find(part) != std::string::npos) return true;
    return false;
}

void expectFaults(const SceneHost& host, std::initializer_list<const char*> parts) {
    for (const char* part : parts) EXPECT_TRUE(hasFault(host, part)) << part << "\n" << host.report();
}

TEST(SceneHost, SuitesAreServedOnlyByExactNameAndVersion) {
    SceneHost host;
    host.refuseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
    host.runAsCommand(0, [&] {
        SPBasicSuite* basic = host.inData().pica_basicP;
        for (auto [name, version] :
             {std::pair{kAEGPLayerSuite, 14}, {kPFWorldSuite, kPFWorldSuiteVersion2}}) {
            const void* table = reinterpret_cast<const void*>(1);
            EXPECT_EQ(basic->AcquireSuite(name, version, &table), kSPSuiteNotFoundError) << name;
            EXPECT_EQ(table, nullptr);
        }
        EXPECT_NE(acquire<void>(host, kAEGPLayerSuite, 15), nullptr);
        EXPECT_EQ(basic->ReleaseSuite(kAEGPLayerSuite, 15), kSPNoError);
    });
    EXPECT_EQ(host.suiteBalance(kAEGPLayerSuite, 14).refused, 1);
    EXPECT_EQ(host.suiteBalance(kPFWorldSuite, 2).refused, 1);
    EXPECT_EQ(host.suiteBalance(kAEGPLayerSuite, 15).acquired, 1);
    EXPECT_EQ(host.log().count("AcquireSuite"), 3u);
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST(SceneHost, UnbalancedSuitesAndUnservedFunctionsAreFaults) {
    SceneHost host;
    host.runAsCommand(0, [&] {
        const auto* layers = acquire<AEGP_LayerSuite9>(host, kAEGPLayerSuite, 15);
        AEGP_LayerH active = nullptr;
        EXPECT_NE(layers->AEGP_GetActiveLayer(&active), A_Err_NONE); // not served
        // Released twice: the second is a release without an acquire.
        SPBasicSuite* basic = host.inData().pica_basicP;
        EXPECT_EQ(basic->ReleaseSuite(kAEGPLayerSuite, 15), kSPNoError);
        EXPECT_NE(basic->ReleaseSuite(kAEGPLayerSuite, 15), kSPNoError);
        acquire<AEGP_LightSuite2>(host, kAEGPLightSuite, 2); // never released
    });
    expectFaults(host, {"AEGP_GetActiveLayer", "not acquired", "\"AEGP Light Suite\" 2 still acquired"});
    EXPECT_FALSE(host.suitesBalanced());
    EXPECT_FALSE(host.clean());
}

// Checkouts are balanced per index, and a scene value reaches the checkout only when the effect
// declared the kind of control the value was read for (parameter 1 is a group in the effect's
// table, declared here as a slider; parameter 3 a float slider).
TEST(SceneHost, ParameterCheckoutsAreBalancedPerIndex) {
    SceneHost host;
    host.scene().effect[1] = Track{{{0.0, 99.0}}};
    host.scene().effect[3] = Track{{{0.0, 50.0}}};
    host.failParamCheckout(2, PF_Err_INTERNAL_STRUCT_DAMAGED);
    host.runAsCommand(0, [&] {
        PF_InData& in = host.inData();
        PF_ParamDef def{};
        def.param_type = PF_Param_FLOAT_SLIDER;
        def.u.fs_d.value = 7.5;
        for (int i = 1; i <= 3; ++i) {
            def.uu.id = i;
            ASSERT_EQ(in.inter.add_param(in.effect_ref, -1, &def), PF_Err_NONE);
        }
        PF_ParamDef a{}, b{}, c{};
        EXPECT_EQ(in.inter.checkout_param(in.effect_ref, 1, 0, 100, 2400, &a), PF_Err_NONE);
        EXPECT_EQ(a.u.fs_d.value, 7.5);
        EXPECT_EQ(in.inter.checkout_param(in.effect_ref, 2, 0, 100, 2400, &b),
                  PF_Err_INTERNAL_STRUCT_DAMAGED);
        EXPECT_EQ(in.inter.checkout_param(in.effect_ref, 9, 0, 100, 2400, &c), PF_Err_INVALID_INDEX);
        EXPECT_EQ(in.inter.checkout_param(in.effect_ref, 3, 0, 100, 2400, &c), PF_Err_NONE);
        EXPECT_EQ(c.u.fs_d.value, 50.0);
        EXPECT_EQ(in.inter.checkin_param(in.effect_ref, &a), PF_Err_NONE);
        EXPECT_NE(in.inter.checkin_param(in.effect_ref, &a), PF_Err_NONE); // twice
        EXPECT_NE(in.inter.checkin_param(in.effect_ref, &b), PF_Err_NONE); // never checked out
        // c (parameter 3) stays checked out.
    });
    EXPECT_EQ(std::make_pair(host.paramBalance(1).checkouts, host.paramBalance(1).checkins),
              std::make_pair(1, 1));
    EXPECT_EQ(std::make_pair(host.paramBalance(2).checkouts, host.paramBalance(3).checkins),
              std::make_pair(0, 0));
    EXPECT_FALSE(host.paramsBalanced());
    expectFaults(host, {"index 9", "not checked out", "parameter 3 still checked out",
                        "parameter 1: the scene gives a value of another kind than declared"});
    ASSERT_EQ(host.paramCheckouts().size(), 4u);
    EXPECT_EQ(host.paramCheckouts()[1].result, PF_Err_INTERNAL_STRUCT_DAMAGED);
}

TEST(SceneHost, RefusedCallbacksForeignThreadsAndChangedInDataAreFaults) {
    SceneHost host;
    host.runAsCommand(0, [&] {
        PF_InData& in = host.inData();
        EXPECT_EQ(in.inter.register_ui(in.effect_ref, nullptr), PF_Err_INVALID_CALLBACK);
        std::thread worker([&] {
            const void* table = nullptr;
            in.pica_basicP->AcquireSuite(kPFWorldSuite, 2, &table);
        });
        worker.join();
        in.current_time += 1;
    });
    expectFaults(host, {"inter.register_ui", "thread other than the command's", "in_data changed"});
    EXPECT_EQ(host.suiteBalance(kPFWorldSuite, 2).acquired, 0);
}

// The host's side of interruption: abort answers from the configured poll on, progress that runs
// backwards, past its total or with another total is a fault. (Real frames asked to stop, and
// hosts without the callbacks, are in the render tests.)
TEST(SceneHost, InterruptAnswersFromItsPollAndProgressIsChecked) {
    SceneHost host;
    Interrupt interrupt;
    interrupt.afterPolls = 3;
    host.setInterrupt(interrupt);
    host.runAsCommand(0, [&] {
        PF_InData& in = host.inData();
        EXPECT_EQ(in.inter.abort(in.effect_ref), PF_Err_NONE);
        EXPECT_EQ(in.inter.abort(in.effect_ref), PF_Err_NONE);
        EXPECT_EQ(in.inter.abort(in.effect_ref), PF_Interrupt_CANCEL);
        EXPECT_EQ(in.inter.abort(in.effect_ref), PF_Interrupt_CANCEL);
        EXPECT_EQ(in.inter.progress(in.effect_ref, 5, 10), PF_Err_NONE); // abort answers, not progress
        in.inter.progress(in.effect_ref, 4, 10);
        in.inter.progress(in.effect_ref, 11, 10);
        in.inter.progress(in.effect_ref, 11, 12);
    });
    EXPECT_EQ(host.abortPolls(), 4);
    EXPECT_EQ(host.progressReports().size(), 4u);
    expectFaults(host, {"fewer than reported", "outside 0 .. total", "total changed"});
}

} // namespace
} // namespace nebulastra::scenehost
