// What one scene may ask of a render machine, at the boundaries: the largest layer, frame range,
// layer count and keyframe count pass, one more is refused with a one-line message; and a message
// about an absurd value stays one short line.

#include <gtest/gtest.h>

#include <string>

#include "scenehost/scene_file.h"

namespace nebulastra::scenehost {
namespace {

std::string errorOf(const std::string& text) {
    try {
        parseScene(text, "s.json");
    } catch (const SceneError& e) {
        return e.what();
    }
    return "";
}

std::string repeated(const std::string& item, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += (i == 0 ? "" : ",") + item;
    return out;
}

TEST(SceneLimits, LargestRequestsPassAndOneMoreIsRefused) {
    struct Case {
        std::string largest, tooLarge, message;
    };
    const std::string comp = R"("composition": {"width": 8, "height": 8})";
    const Case cases[] = {
        {R"({"composition": {"width": 8192, "height": 8192}})",
         R"({"composition": {"width": 8193, "height": 8192}})",
         "s.json: /composition: the effect's layer may have at most 67108864 pixels (8192 x 8192), got 8193 "
         "x 8192"},
        {"{" + comp + R"(, "layer": {"width": 16384, "height": 4096}})",
         "{" + comp + R"(, "layer": {"width": 16384, "height": 4097}})",
         "s.json: /layer: the effect's layer may"},
        {"{" + comp + R"(, "render": {"frames": "5-100004"}})",
         "{" + comp + R"(, "render": {"frames": "5-100005"}})",
         "s.json: /render/frames: expected at most 100000 frames in one render, got 100001"},
        {"{" + comp + R"(, "layers": [)" + repeated(R"({"type": "null"})", 1000) + "]}",
         "{" + comp + R"(, "layers": [)" + repeated(R"({"type": "null"})", 1001) + "]}",
         "s.json: /layers: expected at most 1000 layers, got 1001"},
        {"{" + comp + R"(, "effect": {"density": [)" + repeated(R"({"t": 0, "v": 1})", 10000) + "]}}",
         "{" + comp + R"(, "effect": {"density": [)" + repeated(R"({"t": 0, "v": 1})", 10001) + "]}}",
         "s.json: /effect/density: expected at most 10000 keyframes, got 10001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.largest), "") << c.message;
        EXPECT_EQ(errorOf(c.tooLarge).rfind(c.message, 0), 0u) << errorOf(c.tooLarge);
    }
}

TEST(SceneLimits, MessagesStayOneShortLine) {
    const std::string deep = std::string(50000, '[') + std::string(50000, ']');
    EXPECT_EQ(errorOf(R"({"version": )" + deep + "}"),
              "s.json: /version: expected 1 (the only scene file version), got an array of 1 elements");
    const std::string longKey(100000, 'k');
    const std::string message =
        errorOf(R"({"composition": {"width": 8, "height": 8}, ")" + longKey + "\\n\": 1}");
    EXPECT_LE(message.size(), 500u);
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_EQ(message.rfind("s.json: /kkkk", 0), 0u) << message;
}

} // namespace
} // namespace nebulastra::scenehost
