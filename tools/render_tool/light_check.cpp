// Counting a scene's lights as the effect will take them.
#include "light_check.h"

#include "scenefile/scene_eval.h"
#include "scenefile/scene_params.h"

namespace nebulastra::render_tool {

namespace {

// The effect compares the first five characters with "cloud", folding only A to Z.
bool namedCloud(const std::string& name) {
    static const char kCloud[] = "cloud";
    if (name.size() < 5) return false;
    for (int i = 0; i < 5; ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kCloud[i]) return false;
    }
    return true;
}

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

LightCount countLights(const scenefile::Scene& scene, std::int32_t frame) {
    using scenefile::LightType;
    const double t = scenefile::secondsOf(scenefile::frameCurrentTime(scene.composition.timeBase, frame),
                                          scene.composition.timeBase.timeScale);
    LightCount count;
    const auto emitters = scene.effect.find(kParamEmitters);
    count.emittersOn = emitters != scene.effect.end() ? scenefile::evaluateStepped(emitters->second, t) != 0.0
                                                      : paramSpec(kParamEmitters).defaultValue != 0.0;
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const scenefile::Layer& layer = scene.layers[i];
        if (layer.type != scenefile::LayerType::Light) {
            ++count.otherLayers;
            continue;
        }
        // An unreadable activity counts as active, an unreadable type as a light that qualifies
        // and an unreadable name as matching: the effect gives each the benefit of the doubt.
        if (!scenefile::layerIsActive(layer, t).value_or(true)) {
            ++count.inactive;
        } else if (!scenefile::layerWorldPosition(scene, static_cast<int>(i), t)) {
            ++count.unplaced;
        } else if (count.emittersOn && layer.name && !namedCloud(*layer.name)) {
            ++count.filteredByName;
        } else if (layer.lightType == LightType::Ambient || layer.lightType == LightType::Environment) {
            ++count.ambient;
        } else {
            if (++count.qualifying == kMostClouds + 1) count.firstDropped = layer.name.value_or("");
        }
    }
    return count;
}

std::string lightWarning(const LightCount& count, std::int32_t frame) {
    const std::string at = "warning: frame " + std::to_string(frame) + ": ";
    if (count.qualifying > kMostClouds) {
        return at + std::to_string(count.qualifying) + " lights qualify, but the effect draws at most " +
               std::to_string(kMostClouds) + " clouds: the top " + std::to_string(kMostClouds) +
               " make them and the " + plural(count.qualifying - kMostClouds, "light", "lights") +
               " from \"" + count.firstDropped +
               "\" down make none (merge lights, or put the layers that matter first)";
    }
    if (count.qualifying > 0) return "";
    std::string why;
    auto add = [&why](const std::string& reason) { why += (why.empty() ? "" : "; ") + reason; };
    if (count.filteredByName > 0) {
        add("\"Emitters\" is on and the names of " + plural(count.filteredByName, "light", "lights") +
            " do not begin with \"cloud\" (rename them, or set cloudPrefixOnly to false)");
    }
    if (count.inactive > 0) {
        add(plural(count.inactive, "light is", "lights are") +
            " switched off or outside its in and out points at this time");
    }
    if (count.ambient > 0) {
        add(plural(count.ambient, "light is", "lights are") +
            " ambient or environment, which never make clouds (use point, spot or parallel)");
    }
    if (count.unplaced > 0) add(plural(count.unplaced, "light has", "lights have") + " no readable position");
    if (why.empty()) {
        why = count.otherLayers > 0 ? "the scene has no light layers, only " +
                                          plural(count.otherLayers, "other layer", "other layers") +
                                          ", which never make clouds (add a layer of type \"light\")"
                                    : "the scene has no layers (add a layer of type \"light\")";
    }
    return at + "no light becomes a cloud, so the frame is empty: " + why;
}

} // namespace nebulastra::render_tool
