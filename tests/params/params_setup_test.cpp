// PF_Cmd_PARAMS_SETUP through the built library: the 62 definitions the host receives, field by
// field, against the effect's published parameter table written out literally below.

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

struct Expected {
    int type;
    const char* name;
    double dflt; // slider units, degrees, 0/1, 1-based item
    float validMin, validMax, sliderMin, sliderMax;
    int precision, display;
    int choices;
    const char* text;
};

// clang-format off
const Expected kExpected[62] = {
    {GS, "Render", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {SL, "Quality (Steps)", 64, 16, 256, 16, 256, 0, 0, 0, nullptr},
    {FS, "Density", 200, 0, 1000, 0, 1000, 1, kPct, 0, nullptr},
    {FS, "Brightness", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Lights", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {CB, "Emitters", 0, 0, 0, 0, 0, 0, 0, 0, "Only lights named \"cloud...\""},
    {FS, "Saturation", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {PU, "Overlap Blend", 1, 0, 0, 0, 0, 0, 0, 5, "Average|Add|Screen|Lighten|Darken"},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Cloud Shape", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
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
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Cloud Lighting", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Sun Azimuth", 45, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Sun Elevation", 45, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Sun Intensity", 130, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Ambient", 35, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {FS, "Self Shadow", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Transform", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Scale X", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Scale Y", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {FS, "Scale Z", 100, 0, 400, 0, 400, 1, kPct, 0, nullptr},
    {AN, "Rotate X", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Rotate Y", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Rotate Z", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Randomize", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Scale Random X", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale Random Y", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale Random Z", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random X", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random Y", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Rotation Random Z", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Opacity Random", 0, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Seed", 0, 0, 10000, 0, 10000, 0, kPlain, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Texture", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {PU, "Type", 1, 0, 0, 0, 0, 0, 0, 3, "Wisps|Billows|Erosion"},
    {FS, "Strength", 30, 0, 100, 0, 100, 1, kPct, 0, nullptr},
    {FS, "Scale", 6, 0.1f, 100, 0.1f, 100, 2, kPlain, 0, nullptr},
    {FS, "Contrast", 100, 0, 200, 0, 200, 1, kPct, 0, nullptr},
    {FS, "Seed", 0, 0, 10000, 0, 10000, 0, kPlain, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GS, "Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "World Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {FS, "Speed", 30, 0, 1000, 0, 1000, 1, kPct, 0, nullptr},
    {AN, "Billow Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {AN, "Texture Evolution", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
    {GE, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr},
};
// clang-format on

bool allZero(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) {
        if (b[i] != 0) return false;
    }
    return true;
}

// The union bytes beyond the record a kind uses must be zero too.
bool unionTailZero(const PF_ParamDef& def, size_t used) {
    return allZero(reinterpret_cast<const unsigned char*>(&def.u) + used, sizeof def.u - used);
}

void checkDefinition(const PF_ParamDef& def, int index, const Expected& e) {
    SCOPED_TRACE("parameter " + std::to_string(index) + " \"" + e.name + "\"");
    EXPECT_EQ(def.uu.id, index);
    EXPECT_EQ(def.param_type, e.type);
    EXPECT_EQ(std::string(def.name, strnlen(def.name, sizeof def.name)), e.name);
    EXPECT_TRUE(allZero(def.name + std::strlen(e.name), sizeof def.name - std::strlen(e.name)));
    EXPECT_EQ(def.flags, 0);
    EXPECT_EQ(def.ui_flags, 0);
    EXPECT_EQ(def.ui_width, 0);
    EXPECT_EQ(def.ui_height, 0);
    EXPECT_EQ(def.unused, 0);

    switch (e.type) {
    case GS:
    case GE:
        EXPECT_TRUE(unionTailZero(def, 0));
        break;
    case SL: {
        const PF_SliderDef& sd = def.u.sd;
        EXPECT_EQ(sd.value, int32_t(e.dflt));
        EXPECT_EQ(sd.dephault, int32_t(e.dflt));
        EXPECT_EQ(sd.valid_min, int32_t(e.validMin));
        EXPECT_EQ(sd.valid_max, int32_t(e.validMax));
        EXPECT_EQ(sd.slider_min, int32_t(e.sliderMin));
        EXPECT_EQ(sd.slider_max, int32_t(e.sliderMax));
        EXPECT_TRUE(allZero(sd.value_str, sizeof sd.value_str));
        EXPECT_TRUE(allZero(sd.value_desc, sizeof sd.value_desc));
        EXPECT_TRUE(unionTailZero(def, sizeof sd));
        break;
    }
    case FS: {
        const PF_FloatSliderDef& fs = def.u.fs_d;
        EXPECT_EQ(fs.value, e.dflt);
        EXPECT_EQ(fs.dephault, float(e.dflt));
        EXPECT_EQ(fs.phase, 0.0);
        EXPECT_EQ(fs.valid_min, e.validMin);
        EXPECT_EQ(fs.valid_max, e.validMax);
        EXPECT_EQ(fs.slider_min, e.sliderMin);
        EXPECT_EQ(fs.slider_max, e.sliderMax);
        EXPECT_EQ(fs.precision, e.precision);
        EXPECT_EQ(fs.display_flags, e.display);
        EXPECT_EQ(fs.fs_flags, 0u);
        EXPECT_EQ(fs.curve_tolerance, 0.05f);
        EXPECT_EQ(fs.useExponent, 0);
        EXPECT_EQ(fs.exponent, 0.0f);
        EXPECT_TRUE(allZero(fs.value_desc, sizeof fs.value_desc));
        EXPECT_TRUE(unionTailZero(def, sizeof fs));
        break;
    }
    case AN: {
        const PF_AngleDef& ad = def.u.ad;
        EXPECT_EQ(ad.value, int32_t(e.dflt) * 65536);
        EXPECT_EQ(ad.dephault, int32_t(e.dflt) * 65536);
        EXPECT_EQ(ad.valid_min, 0);
        EXPECT_EQ(ad.valid_max, 0);
        EXPECT_TRUE(unionTailZero(def, sizeof ad));
        break;
    }
    case CB: {
        const PF_CheckBoxDef& bd = def.u.bd;
        EXPECT_EQ(bd.value, int32_t(e.dflt));
        EXPECT_EQ(bd.dephault, char(e.dflt));
        EXPECT_EQ(bd.reserved, 0);
        EXPECT_EQ(bd.reserved1, 0);
        ASSERT_NE(bd.u.nameptr, nullptr);
        EXPECT_STREQ(bd.u.nameptr, e.text);
        EXPECT_TRUE(unionTailZero(def, sizeof bd));
        break;
    }
    case PU: {
        const PF_PopupDef& pd = def.u.pd;
        EXPECT_EQ(pd.value, int32_t(e.dflt));
        EXPECT_EQ(pd.dephault, int16_t(e.dflt));
        EXPECT_EQ(pd.num_choices, e.choices);
        ASSERT_NE(pd.u.namesptr, nullptr);
        EXPECT_STREQ(pd.u.namesptr, e.text);
        EXPECT_TRUE(unionTailZero(def, sizeof pd));
        break;
    }
    default:
        ADD_FAILURE() << "unexpected type " << e.type;
    }
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
