// The dispatcher and its exception rule, the PiPL, global setup, About and plug-in registration,
// driven through the built library by the scene host as After Effects drives it.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "entry/effect_main.h"
#include "entry/expected_pipl.h"
#include "entry/guarded_call.h"
#include "entry/handlers.h"
#include "entry/pipl.h"
#include "host/host_abi.h"
#include "hostio/plugin_id.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;

uint32_t pipl32(size_t offset) {
    const uint8_t* p = test::kExpectedPipl + offset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// out_data as the host hands it over, with recognisable contents so any write shows.
void markOutData(PF_OutData& out) {
    std::memset(&out, 0x5A, sizeof out);
    std::strcpy(out.return_msg, "untouched");
}

bool sameBytes(const PF_OutData& a, const PF_OutData& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(EffectMain, SelectorsWithoutAHandlerDoNothing) {
    SceneHost host;
    host.start();
    markOutData(host.outDataTemplate());
    const int32_t ignored[] = {2,  3,  5,   6,          7,  8,   9,
                               10, 12, 13,  14,         15, 16,  17,
                               18, 19, 20,  21,         22, 25,  26,
                               27, 28, 29,  30,         31, 32,  33,
                               34, 35, 100, 0x7FFFFFFF, -1, -24, -2147483647 - 1};
    for (int32_t cmd : ignored) {
        host.clearRecords();
        EXPECT_EQ(host.sendCommand(cmd), PF_Err_NONE) << "selector " << cmd;
        EXPECT_TRUE(sameBytes(host.outData(), host.outDataTemplate())) << "selector " << cmd;
        EXPECT_EQ(host.log().size(), 1u) << "selector " << cmd << ":\n" << host.log().dump();
        EXPECT_TRUE(host.clean()) << "selector " << cmd << ": " << host.report();
    }
}

// A handler that throws something other than a host error cannot be provoked from outside.
TEST(CallGuarded, HostErrorsPassThroughExhaustedHeapIs4OtherExceptionsBecome512) {
    EXPECT_EQ(callGuarded([] { return PF_Err(513); }), 513);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw HostError(516); }), 516);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw HostError(-7); }), -7);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::bad_alloc(); }), 4);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::runtime_error("boom"); }), 512);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw 516; }), 512); // a bare int is not a host code
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw "text"; }), 512);
}

TEST(Pipl, BuilderProducesTheExpectedBytes) {
    ASSERT_EQ(kPiplBytes.size(), sizeof test::kExpectedPipl);
    for (size_t i = 0; i < kPiplBytes.size(); ++i)
        EXPECT_EQ(kPiplBytes[i], test::kExpectedPipl[i]) << "byte " << i;
}

TEST(PluginDataEntry, RegistersTheEffectOnce) {
    SceneHost host;
    EXPECT_EQ(host.registerEffect(), 0);
    const scenehost::PluginRegistration& r = host.registration();
    EXPECT_EQ(r.name + "|" + r.matchName + "|" + r.category + "|" + r.entryPoint,
              "Nebulastra|Mirto_Nebulastra|Generate|EffectMain");
    EXPECT_EQ(std::vector<int64_t>({r.calls, r.kind, r.apiMajor, r.apiMinor, r.reservedInfo}),
              std::vector<int64_t>({1, 0x65464B54 /* 'eFKT' */, 13, 28, 8}));
    EXPECT_TRUE(host.clean()) << host.report();
    // A host that passes no callback gets an error, not a crash.
    EXPECT_EQ(pluginDataEntry(nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
}

// The flags always (as the PiPL tells them before the library is called), the AEGP plug-in ID
// only from a registration in After Effects; the ID stays inside the library, so the handler is
// also run in-process to see it kept.
TEST(GlobalSetup, FlagsAlwaysPluginIdOnlyFromARegistrationInAfterEffects) {
    struct Case {
        const char* what;
        bool premiere, refuseUtility, failRegistration;
        int32_t id; // the plug-in ID afterwards, -1 for not looked at
        size_t registrations;
    };
    const Case cases[] = {{"after effects", false, false, false, 42, 1},
                          {"premiere", true, false, false, -1, 0},
                          {"no utility suite", false, true, false, 0, 0},
                          {"registration fails", false, false, true, -1, 1}};
    for (const Case& c : cases) {
        SceneHost host;
        host.setPluginId(42);
        if (c.premiere) host.setApplId(scenehost::kApplIdPremiere);
        if (c.refuseUtility) host.refuseSuite("AEGP Utility Suite", 13);
        if (c.failRegistration) host.failCall("AEGP_RegisterWithAEGP", 1);
        ASSERT_EQ(host.registerEffect(), 0);
        host.clearRecords();
        EXPECT_EQ(host.globalSetup(), PF_Err_NONE) << c.what;
        const PF_OutData& out = host.outData();
        EXPECT_EQ(out.my_version, pipl32(154 + 16)) << c.what; // eVER, eGLO and eGL2
        EXPECT_EQ(static_cast<uint32_t>(out.out_flags), pipl32(194 + 16)) << c.what;
        EXPECT_EQ(static_cast<uint32_t>(out.out_flags2), pipl32(214 + 16)) << c.what;
        ASSERT_EQ(host.log().count("AEGP_RegisterWithAEGP"), c.registrations) << c.what;
        EXPECT_TRUE(c.registrations == 0 ||
                    host.log().calls()[host.log().first("AEGP_RegisterWithAEGP")].text == "Nebulastra");
        EXPECT_TRUE(!c.premiere || host.log().count("AcquireSuite") == 0) << host.log().dump();
        EXPECT_TRUE(host.clean()) << c.what << '\n' << host.report();

        aegpPluginId = 99;
        host.runAsCommand(0, [&] { handleGlobalSetup(&host.inData(), &host.outData()); });
        if (c.id >= 0) {
            EXPECT_EQ(aegpPluginId, c.id) << c.what;
        }
        EXPECT_TRUE(host.clean()) << c.what << '\n' << host.report();
    }
    aegpPluginId = 0;
}

TEST(About, TextInAfterEffectsNothingInPremiere) {
    SceneHost host;
    host.start();
    markOutData(host.outDataTemplate());
    EXPECT_EQ(host.about(), PF_Err_NONE);
    const char expected[] = "Nebulastra, v2.9\rVolumetric 3D clouds driven by comp lights.";
    EXPECT_EQ(std::memcmp(host.outData().return_msg, expected, sizeof expected), 0)
        << host.outData().return_msg;
    EXPECT_EQ(host.suiteBalance("PF ANSI Suite", 1).acquired, 1);
    EXPECT_TRUE(host.clean()) << host.report();

    host.setApplId(scenehost::kApplIdPremiere);
    host.clearRecords();
    EXPECT_EQ(host.about(), PF_Err_NONE);
    EXPECT_TRUE(sameBytes(host.outData(), host.outDataTemplate()));
    EXPECT_EQ(host.log().count("AcquireSuite"), 0u);
    EXPECT_EQ(host.log().count("sprintf"), 0u);
}

} // namespace
} // namespace nebulastra
