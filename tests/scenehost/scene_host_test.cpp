// The scene host's own strictness, exercised by playing a misbehaving effect against its
// callbacks and suites inside runAsCommand (no effect library needed): refused suites, unbalanced
// acquires and checkouts, foreign handles, leaked memory handles, calls from other threads, and
// the failures it injects. Its composition answers are checked through scene capture.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

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

// The suites a test body acquires, released again when it ends (inside the command).
struct Suites {
    explicit Suites(SceneHost& h) : host(h) {}
    SceneHost& host;
    std::vector<std::pair<const char*, int32_t>> held;
    template <typename Suite>
    const Suite* get(const char* name, int32_t version) {
        held.emplace_back(name, version);
        return acquire<Suite>(host, name, version);
    }
    ~Suites() {
        for (auto [name, version] : held) host.inData().pica_basicP->ReleaseSuite(name, version);
    }
    // Composition layer `index`, found the effect's way: its own layer, that layer's composition.
    AEGP_LayerH compLayer(int32_t index) {
        const auto* layers = get<AEGP_LayerSuite9>(kAEGPLayerSuite, 15);
        AEGP_LayerH self = nullptr, layer = reinterpret_cast<AEGP_LayerH>(8);
        AEGP_CompH comp = nullptr;
        get<AEGP_PFInterfaceSuite1>(kAEGPPFInterfaceSuite, 1)
            ->AEGP_GetEffectLayer(host.inData().effect_ref, &self);
        layers->AEGP_GetLayerParentComp(self, &comp);
        EXPECT_EQ(layers->AEGP_GetCompLayerByIndex(comp, index, &layer), A_Err_NONE);
        return layer;
    }
};

// A frame's time is its number times the time step, in the time base's units (2400 / 100 here,
// so a frame number taken for a time shows); the layer keeps its full-resolution size.
TEST(SceneHost, InDataCarriesTheFrameTimeAndTheWholeLayer) {
    scenefile::Scene s = SceneHost::smallScene(33, 17);
    s.render.downsample = 2;
    SceneHost host(s);
    host.runAsCommand(3, [&] {
        const PF_InData& d = host.inData();
        EXPECT_EQ(std::make_tuple(d.current_time, d.time_step, d.time_scale),
                  std::make_tuple(300, 100, 2400u));
        EXPECT_EQ(std::make_tuple(d.width, d.height), std::make_tuple(33, 17));
    });
    EXPECT_TRUE(host.clean()) << host.report();
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

    // Playing Premiere Pro, the host refuses every AEGP suite.
    host.setApplId(kApplIdPremiere);
    host.runAsCommand(0, [&] {
        const void* table = nullptr;
        EXPECT_EQ(host.inData().appl_id, PF_APPL_ID_PREMIERE);
        EXPECT_EQ(host.inData().pica_basicP->AcquireSuite(kAEGPUtilitySuite, 13, &table),
                  kSPSuiteNotFoundError);
        Suites suites(host);
        EXPECT_NE(suites.get<void>(kPFANSISuite, 1), nullptr);
    });
    EXPECT_EQ(host.suiteBalance(kAEGPUtilitySuite, 13).refused, 1);
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

scenefile::Scene lightsScene() {
    scenefile::Scene s = scenefile::parseScene(R"({
        "composition": {"width": 40, "height": 20, "frameRate": 24},
        "camera": {"zoom": 100},
        "layers": [
          {"name": "BG", "type": "solid"},
          {"name": "Cloud 1", "type": "light", "lightType": "spot", "color": [1, 0.5, 0.25],
           "intensity": [{"t": 0, "v": 100}, {"t": 1, "v": 200}], "shadowDarkness": 40,
           "position": [1, 2, 3], "parent": "Null", "inPoint": 0, "outPoint": 1},
          {"name": "Null", "type": "null", "position": [10, 20, 30]},
          {"name": null, "type": "light", "color": null}
        ]})",
                                               "lights.json");
    s.composition.timeBase = scenefile::TimeBase{2400, 100};
    return s;
}

TEST(SceneHost, InjectedFailuresHitTheNamedLayerOnly) {
    SceneHost host(lightsScene());
    host.failCall("AEGP_GetLayerToWorldXform", A_Err_GENERIC, 1);
    host.failStream(AEGP_LayerStream_SHADOW_DARKNESS, A_Err_PARAMETER);
    host.failCall("AEGP_GetCompLayerByIndex", 0, 0); // succeeds with no layer
    EXPECT_THROW(host.failCall("AEGP_GetActiveLayer", 1), std::invalid_argument);
    host.runAsCommand(0, [&] {
        Suites suites(host);
        const auto* layers = suites.get<AEGP_LayerSuite9>(kAEGPLayerSuite, 15);
        const auto* streams = suites.get<AEGP_StreamSuite6>(kAEGPStreamSuite, 11);
        EXPECT_EQ(suites.compLayer(0), nullptr);
        const AEGP_LayerH light = suites.compLayer(1), other = suites.compLayer(2);
        const A_Time t{0, 2400};
        A_Matrix4 xf{};
        EXPECT_EQ(layers->AEGP_GetLayerToWorldXform(light, &t, &xf), A_Err_GENERIC);
        EXPECT_EQ(layers->AEGP_GetLayerToWorldXform(other, &t, &xf), A_Err_NONE);
        AEGP_StreamVal2 v{};
        for (auto [stream, err] : {std::pair{AEGP_LayerStream_SHADOW_DARKNESS, A_Err_PARAMETER},
                                   {AEGP_LayerStream_INTENSITY, A_Err_NONE}}) {
            EXPECT_EQ(
                streams->AEGP_GetLayerStreamValue(light, stream, AEGP_LTimeMode_CompTime, &t, 0, &v, nullptr),
                err);
        }
        // A light query on a null layer, and a handle the host never gave out, are faults.
        streams->AEGP_GetLayerStreamValue(other, AEGP_LayerStream_COLOR, AEGP_LTimeMode_CompTime, &t, 0, &v,
                                          nullptr);
        AEGP_ObjectType type = 0;
        layers->AEGP_GetLayerObjectType(reinterpret_cast<AEGP_LayerH>(&type), &type);
    });
    expectFaults(host, {"which is not a light", "layer handle the host did not hand out"});
    EXPECT_EQ(host.faults().size(), 2u) << host.report();
}

TEST(SceneHost, LayerNamesAreMemoryHandlesThatMustBeFreed) {
    SceneHost host(lightsScene());
    host.runAsCommand(0, [&] {
        Suites suites(host);
        const auto* layers = suites.get<AEGP_LayerSuite9>(kAEGPLayerSuite, 15);
        const auto* memory = suites.get<AEGP_MemorySuite1>(kAEGPMemorySuite, 1);
        const AEGP_LayerH light = suites.compLayer(1);
        AEGP_MemHandle name = nullptr, source = nullptr;
        EXPECT_NE(layers->AEGP_GetLayerName(3, light, &name, &source), A_Err_NONE); // wrong plug-in ID
        ASSERT_EQ(layers->AEGP_GetLayerName(kDefaultPluginId, light, &name, &source), A_Err_NONE);
        void* text = nullptr;
        ASSERT_EQ(memory->AEGP_LockMemHandle(name, &text), A_Err_NONE);
        EXPECT_EQ(std::u16string(static_cast<const char16_t*>(text)), u"Cloud 1");
        EXPECT_EQ(memory->AEGP_FreeMemHandle(name), A_Err_NONE);   // still locked: a fault
        EXPECT_NE(memory->AEGP_UnlockMemHandle(name), A_Err_NONE); // after the free: a fault
        // `source` is never freed: a leak.
    });
    const MemoryBalance m = host.memoryBalance();
    EXPECT_EQ(std::make_tuple(m.issued, m.frees, m.outstanding()), std::make_tuple(2, 1, 1));
    expectFaults(host,
                 {"plug-in ID 3", "still locked", "already freed", "not freed when the command returned"});
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
// backwards, past its total or with another total is a fault, and so is a frame that reports
// success after the host asked it to stop.
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

    // A real frame asked to stop at its first poll: the effect must not report success. With no
    // callbacks at all, nobody asks.
    host.clearRecords();
    interrupt.afterPolls = 1;
    interrupt.withoutCallbacks = true;
    host.setInterrupt(interrupt);
    host.start();
    EXPECT_EQ(host.requestFrame(0), PF_Err_NONE);
    EXPECT_FALSE(host.stopLatency().has_value());
    interrupt.withoutCallbacks = false;
    host.setInterrupt(interrupt);
    EXPECT_EQ(host.requestFrame(0), PF_Interrupt_CANCEL);
    EXPECT_TRUE(host.stopLatency().has_value());
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra::scenehost
