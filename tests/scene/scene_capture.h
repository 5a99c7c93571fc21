#pragma once
// Scene capture run in-process against the scene host, the way the render driver runs it first
// thing in a frame: captureScene with the in_data the host prepared for that frame, inside a
// host command so every suite call is checked, counted and logged.

#include <cstdint>
#include <string>

#include "hostio/plugin_id.h"
#include "records/render_settings.h"
#include "scene/capture_scene.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra::testing {

// The effect's AEGP plug-in ID is process-wide; a test sets it for its own duration only.
class ScopedPluginId {
public:
    explicit ScopedPluginId(std::int32_t id) : saved_(aegpPluginId) { aegpPluginId = id; }
    ~ScopedPluginId() { aegpPluginId = saved_; }
    ScopedPluginId(const ScopedPluginId&) = delete;
    ScopedPluginId& operator=(const ScopedPluginId&) = delete;

private:
    std::int32_t saved_;
};

inline scenehost::Scene sceneFromJson(const std::string& json) {
    return scenehost::parseScene(json, "test scene");
}

// Captures the scene at `frame` into a fresh settings record, as the snapshot leaves it (all zero
// but the Emitters option).
inline RenderSettings captureFrame(scenehost::SceneHost& host, std::int32_t frame,
                                   bool cloudPrefixOnly = false) {
    RenderSettings settings{};
    settings.cloudPrefixOnly = cloudPrefixOnly;
    host.runAsCommand(frame, [&] { captureScene(&host.inData(), settings); });
    return settings;
}

} // namespace nebulastra::testing
