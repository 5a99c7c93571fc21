// PF_Cmd_PARAMS_SETUP through the built library: the 62 definitions the host receives, byte for
// byte, against the effect's published parameter table written out literally below.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "params/params_setup.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;

// PF_ParamType numbers.
constexpr int GS = 13, GE = 14, SL = 1, FS = 10, AN = 3, CB = 4, PU = 7;
constexpr int kPct = 1, kPlain = 0;

struct Expected { // group rows give only their type and name
    int type;
    const char* name;
    double dflt = 0; // slider units, degrees, 0/1, 1-based item
    float validMin = 0, validMax = 0, sliderMin = 0, sliderMax = 0;
    int precision = 0, display = 0;
    int choices = 0;
    const char* text = nullptr;
};

// clang-format off
const Expected kExpected[62] = {
    {GS, "Render"},
    {SL, "Quality (Steps)", 64, 16, 256, 16, 256, 0, 0, 0, nullptr},
    {FS, "Density", 200, 0, 1000, 0, 1000, 1, kPct, 0, nullptr},
    {FS, "Brightness", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {GE, ""}, {GS, "Lights"},
    {CB, "Emitters", 0, 0, 0, 0, 0, 0, 0, 0, "Only lights named \"cloud...\""},
    {FS, "Saturation", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {PU, "Overlap Blend", 1, 0, 0, 0, 0, 0, 0, 5, "Average|Add|Screen|Lighten|Darken"},
    {GE, ""}, {GS, "Cloud Shape"},
    {FS, "Cloud Size", 30, 1, 200, 1, 100, 1, kPlain, 0, nullptr},
    {FS, "Flatten Base", 50, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Tower", 35, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {PU, "Billow Map", 1, 0, 0, 0, 0, 0, 0, 4, "Smooth|Puffy|Wispy|Clumps"},
    {FS, "Billow", 60, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {FS, "Billow Size", 3, 0.1f, 20, 0.1f, 20, 2, kPlain, 0, nullptr},
    {SL, "Billow Detail", 4, 1, 6, 1, 6, 0, 0, 0, nullptr},
    {FS, "Billow Seed", 0, 0, 10000, 0, 10000, 0, kPlain, 0, nullptr},
    {FS, "Edge Softness", 2, 0.2f, 8, 0.2f, 8, 2, kPlain, 0, nullptr},
    {FS, "Edge Hardness", 50, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Edge Erosion", 40, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Domain Warp", 30, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {GE, ""}, {GS, "Cloud Lighting"},
    {AN, "Sun Azimuth", 45, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Sun Elevation", 45, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Sun Intensity", 130, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Ambient", 35, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {FS, "Self Shadow", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {GE, ""}, {GS, "Transform"},
    {FS, "Scale X", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Scale Y", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Scale Z", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {AN, "Rotate X", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Rotate Y", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Rotate Z", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GE, ""}, {GS, "Randomize"},
    {FS, "Scale Random X", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale Random Y", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale Random Z", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random X", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random Y", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random Z", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Opacity Random", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Seed", 0, 0, 10000, 0, 10000, 0, kPlain, 0, nullptr},
    {GE, ""}, {GS, "Texture"},
    {PU, "Type", 1, 0, 0, 0, 0, 0, 0, 3, "Wisps|Billows|Erosion"},
    {FS, "Strength", 30, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale", 6, 0.1f, 100, 0.1f, 100, 2, kPlain, 0, nullptr},
    {FS, "Contrast", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {FS, "Seed", 0, 0, 10000, 0, 10000, 0, kPlain, 0, nullptr},
    {GE, ""}, {GS, "Evolution"},
    {AN, "World Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Speed", 30, 0, 1000, 0, 1000, 1, kPct, 0, nullptr},
    {AN, "Billow Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Texture Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GE, ""},
};
// clang-format on

// The definition the host must receive for one row of the table: the fields its kind uses, and
// every other byte zero. The checkbox label and popup choices are compared as text instead.
PF_ParamDef expectedDefinition(int index, const Expected& e) {
    PF_ParamDef d{}; // zero bytes, padding included
    d.uu.id = index;
    d.param_type = e.type;
    std::strcpy(d.name, e.name);
    switch (e.type) {
    case SL:
        d.u.sd.value = d.u.sd.dephault = int32_t(e.dflt);
        d.u.sd.valid_min = int32_t(e.validMin);
        d.u.sd.valid_max = int32_t(e.validMax);
        d.u.sd.slider_min = int32_t(e.sliderMin);
        d.u.sd.slider_max = int32_t(e.sliderMax);
        break;
    case FS:
        d.u.fs_d.value = e.dflt;
        d.u.fs_d.dephault = float(e.dflt);
        d.u.fs_d.valid_min = e.validMin;
        d.u.fs_d.valid_max = e.validMax;
        d.u.fs_d.slider_min = e.sliderMin;
        d.u.fs_d.slider_max = e.sliderMax;
        d.u.fs_d.precision = int16_t(e.precision);
        d.u.fs_d.display_flags = e.display;
        d.u.fs_d.curve_tolerance = 0.05f;
        break;
    case AN:
        d.u.ad.value = d.u.ad.dephault = int32_t(e.dflt) * 65536;
        break;
    case CB:
        d.u.bd.value = d.u.bd.dephault = char(e.dflt);
        break;
    case PU:
        d.u.pd.value = d.u.pd.dephault = int16_t(e.dflt);
        d.u.pd.num_choices = int16_t(e.choices);
        break;
    }
    return d;
}

void checkDefinition(PF_ParamDef def, int index, const Expected& e) {
    SCOPED_TRACE("parameter " + std::to_string(index) + " \"" + e.name + "\"");
    if (e.type == CB || e.type == PU) {
        const char*& text = e.type == CB ? def.u.bd.u.nameptr : def.u.pd.u.namesptr;
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, e.text);
        text = nullptr;
    }
    const PF_ParamDef want = expectedDefinition(index, e);
    const auto* got = reinterpret_cast<const unsigned char*>(&def);
    const auto* expected = reinterpret_cast<const unsigned char*>(&want);
    for (size_t i = 0; i < sizeof def; ++i) ASSERT_EQ(got[i], expected[i]) << "first differing byte at " << i;
}

TEST(ParamsSetup, DeclaresTheSixtyTwoParametersExactly) {
    SceneHost host;
    ASSERT_EQ(host.registerEffect(), 0);
    ASSERT_EQ(host.globalSetup(), 0);
    host.outDataTemplate().num_params = 1;
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    EXPECT_EQ(host.outData().num_params, 63);

    const std::vector<PF_ParamDef>& declared = host.declaredParams();
    ASSERT_EQ(declared.size(), 62u);
    for (int i = 0; i < 62; ++i) checkDefinition(declared[i], i + 1, kExpected[i]);

    // Every add_param appends (index -1); the angle names went through the host's strcpy.
    EXPECT_EQ(host.log().count("add_param", -1), 62u) << host.log().dump();
    std::vector<std::string> copied;
    for (const scenehost::HostCall& call : host.log().calls()) {
        if (call.function == "strcpy") copied.push_back(call.text);
    }
    EXPECT_EQ(copied,
              (std::vector<std::string>{"Sun Azimuth", "Sun Elevation", "Rotate X", "Rotate Y", "Rotate Z",
                                        "World Evolution", "Billow Evolution", "Texture Evolution"}));
    EXPECT_TRUE(host.clean()) << host.report();
}

// The host's name field holds 31 characters and a terminating zero; a longer name is cut there.
TEST(ParamsSetup, LongNamesAreCutToTheNameField) {
    const char* longName = "A group name of forty characters, really";
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    fillParamDef(param_rows::groupStart(7, longName), nullptr, def);
    EXPECT_EQ(std::string(def.name, strnlen(def.name, sizeof def.name)), std::string(longName, 31));
}

TEST(ParamsSetup, AddParamFailureStopsAtOnce) {
    SceneHost host;
    ASSERT_EQ(host.registerEffect(), 0);
    ASSERT_EQ(host.globalSetup(), 0);
    host.outDataTemplate().num_params = 17;
    host.failAddParam(20, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.paramsSetup(), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.outData().num_params, 17);      // left as the host put it
    EXPECT_EQ(host.log().count("add_param"), 20u); // nothing after the failing call
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
