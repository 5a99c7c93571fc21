#include "scene_input.h"

#include <exception>

#include "scenefile/scene_file.h"

namespace nebulastra::fuzz {
namespace {

const char kSource[] = "fuzz.json";
const char kBaseScene[] = R"({"composition": {"width": 8, "height": 8}})";

std::string checkMessage(const std::string& message, const std::string& source) {
    if (message.rfind(source, 0) != 0) return "the error does not start with its source: " + message;
    for (char c : message)
        if (c == '\n' || c == '\r') return "the error is not one line: " + message;
    if (message.size() > 1000) return "the error is " + std::to_string(message.size()) + " bytes long";
    return "";
}

std::string checkScene(const scenefile::Scene& s) {
    const long long pixels = static_cast<long long>(s.layerWidth) * s.layerHeight;
    if (s.composition.width < 1 || s.composition.height < 1 || pixels < 1 || pixels > 8192LL * 8192LL)
        return "a loaded scene has an unrenderable size";
    if (s.layers.size() > 1000) return "a loaded scene has " + std::to_string(s.layers.size()) + " layers";
    const long long frames = static_cast<long long>(s.render.lastFrame) - s.render.firstFrame + 1;
    if (s.render.firstFrame < 0 || frames < 1 || frames > 100000)
        return "a loaded scene asks for " + std::to_string(frames) + " frames";
    for (std::size_t i = 0; i < s.layers.size(); ++i) {
        // Parents must end: the host follows them without a step limit.
        int at = static_cast<int>(i);
        for (std::size_t steps = 0; at >= 0; ++steps) {
            if (steps > s.layers.size() || at >= static_cast<int>(s.layers.size()))
                return "a loaded scene has a bad parent";
            at = s.layers[static_cast<std::size_t>(at)].parent;
        }
    }
    return "";
}

} // namespace

std::string checkSceneInput(const std::uint8_t* data, std::size_t size) {
    // A first byte of 1 or 2 makes the rest a --set or a render override; any other input is a
    // whole scene file (so scene files are inputs as they are).
    const int door = size == 0 ? 0 : data[0];
    const bool override = door == 1 || door == 2;
    const std::string text(reinterpret_cast<const char*>(data) + (override ? 1 : 0),
                           size - (override ? 1 : 0));
    std::string source = std::string(kSource) + ": ";
    try {
        if (!override) return checkScene(scenefile::parseScene(text, kSource));
        scenefile::Scene s = scenefile::parseScene(kBaseScene, kSource);
        if (door == 1) {
            source = "--set ";
            scenefile::applyEffectOverride(s, text);
        } else {
            static const char* const kKeys[] = {"frames", "depth", "resolution", "command"};
            const char* key = kKeys[text.empty() ? 0 : static_cast<unsigned char>(text[0]) % 4];
            source = std::string("--") + key + ": ";
            scenefile::applyRenderOverride(s, key, text.empty() ? text : text.substr(1));
        }
        return checkScene(s);
    } catch (const scenefile::SceneError& e) {
        return checkMessage(e.what(), source);
    } catch (const std::exception& e) {
        return std::string("the loader threw something other than a scene error: ") + e.what();
    }
}

} // namespace nebulastra::fuzz
