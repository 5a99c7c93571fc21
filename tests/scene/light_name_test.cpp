// The "Emitters" name filter: which names pass, what happens when the host cannot give a name,
// and that every name handle is unlocked and freed whatever the answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_abi.h"
#include "scene/scene_capture.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;
using testing::captureFrame;
using testing::ScopedPluginId;

// One light per name, at x = its position in the list.
scenehost::Scene lightsNamed(const std::vector<std::string>& names) {
    scenehost::Scene s = SceneHost::smallScene();
    for (std::size_t i = 0; i < names.size(); ++i) {
        scenehost::Layer l;
        l.name = names[i];
        const double x = static_cast<double>(i);
        l.position = scenehost::Track3{scenehost::Track{{{0, x}}}, scenehost::Track{{{0, 0}}},
                                       scenehost::Track{{{0, 0}}}};
        l.color = scenehost::Track3{scenehost::Track{{{0, 1}}}, scenehost::Track{{{0, 1}}},
                                    scenehost::Track{{{0, 1}}}};
        l.intensity = scenehost::Track{{{0, 100}}};
        l.shadowDarkness = scenehost::Track{{{0, 100}}};
        s.layers.push_back(l);
    }
    return s;
}

std::vector<std::string> passingNames(const RenderSettings& s, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (int k = 0; k < s.emitterCount; ++k)
        out.push_back(names[static_cast<std::size_t>(s.emitters[k].position[0])]);
    return out;
}

const std::vector<std::string> kNames = {
    "Cloud 1",  "CLOUDS",     "cloudbank", "Clouds_fg",    "cLoUd", // pass
    "My cloud", "Clou",       "Light 1",   "clod",         "",
    " cloud",   "ｃｌｏｕｄ", "ÇLOUD",     "cl\xC3\xB6ud", // fail
};
const std::vector<std::string> kPassing = {"Cloud 1", "CLOUDS", "cloudbank", "Clouds_fg", "cLoUd"};

TEST(LightNameMatches, OnlyNamesStartingWithCloudPassAndOnlyAsciiIsFolded) {
    ScopedPluginId id(scenehost::kDefaultPluginId);
    SceneHost host(lightsNamed(kNames));
    // Without the option every light passes and no name is asked for.
    EXPECT_EQ(captureFrame(host, 0, false).emitterCount, static_cast<int>(kNames.size()));
    EXPECT_EQ(host.log().count("AEGP_GetLayerName"), 0u);
    EXPECT_EQ(passingNames(captureFrame(host, 0, true), kNames), kPassing);

    const scenehost::MemoryBalance m = host.memoryBalance();
    EXPECT_EQ(m.issued, 2 * static_cast<int>(kNames.size())); // layer name and source name
    EXPECT_EQ(m.frees, m.issued);
    EXPECT_EQ(m.locks, static_cast<int>(kNames.size()));
    EXPECT_EQ(m.unlocks, m.locks);
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST(LightNameMatches, WithoutAPluginIdEveryLightPasses) {
    ScopedPluginId id(0);
    SceneHost host(lightsNamed(kNames));
    EXPECT_EQ(captureFrame(host, 0, true).emitterCount, static_cast<int>(kNames.size()));
    EXPECT_EQ(host.log().count("AEGP_GetLayerName"), 0u);
    EXPECT_EQ(host.suiteBalance(kAEGPMemorySuite, kAEGPMemorySuiteVersion1).acquired, 0);
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST(LightNameMatches, UnobtainableNamesPassButMissingOrUnlockableOnesDoNot) {
    ScopedPluginId id(scenehost::kDefaultPluginId);
    const std::vector<std::string> names = {"Light", "cloud", "Light", "cloud"};
    struct Case {
        const char* function;
        std::int32_t err;
        std::vector<int> passing; // x positions
        int issued, locks;
    };
    const Case cases[] = {
        {"AEGP_GetLayerName", 1, {0, 1, 2, 3}, 0, 0}, // the name cannot be had: counts as matching
        {"AEGP_GetLayerName", 0, {}, 4, 0},           // no name handle: the source handle is still freed
        {"AEGP_LockMemHandle", 1, {}, 8, 0},          // refused lock: nothing to unlock
        {"AEGP_LockMemHandle", 0, {}, 8, 4},          // locked but no text: unlocked again
    };
    for (const Case& c : cases) {
        SceneHost host(lightsNamed(names));
        host.failCall(c.function, c.err);
        const RenderSettings s = captureFrame(host, 0, true);
        std::vector<int> xs;
        for (int k = 0; k < s.emitterCount; ++k) xs.push_back(static_cast<int>(s.emitters[k].position[0]));
        const std::string what = std::string(c.function) + " err " + std::to_string(c.err);
        EXPECT_EQ(xs, c.passing) << what;
        const scenehost::MemoryBalance m = host.memoryBalance();
        EXPECT_EQ(m.issued, c.issued) << what;
        EXPECT_EQ(m.locks, c.locks) << what;
        EXPECT_TRUE(host.clean()) << what << '\n' << host.report(); // all freed, all unlocked
    }

    // A name the scene marks unreadable behaves like a failing name query.
    scenehost::Scene unnamed = lightsNamed(names);
    unnamed.layers[0].name.reset();
    SceneHost host(unnamed);
    EXPECT_EQ(captureFrame(host, 0, true).emitterCount, 3);
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
