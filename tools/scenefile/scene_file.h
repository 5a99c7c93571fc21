// Loading scene files (JSON, version 1) into the Scene model.
//
// Every problem is reported as one SceneError whose message is a single line naming the file, the
// JSON path and what was expected, e.g.
//   scene.json: /layers/2/parent: unknown parent "Null 9"
// Malformed JSON, wrong types, out-of-range values, unknown keys and inconsistent references are
// all errors; a loaded Scene is complete (every default filled in, parents resolved and acyclic).
#pragma once

#include <stdexcept>
#include <string>

#include "scenefile/scene.h"

namespace nebulastra::scenefile {

struct SceneError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads and parses the file at `path`; the message names the path as given.
Scene loadSceneFile(const std::string& path);

// Parses scene text; `sourceName` stands for the file in messages.
Scene parseScene(const std::string& text, const std::string& sourceName);

// Applies "key=value" to the scene's effect values, the value read like the file's JSON value
// (a number, true/false, a keyframe list, or a popup choice with or without quotes). Errors name
// the source as "--set key".
void applyEffectOverride(Scene& scene, const std::string& assignment);

// Replaces one render setting ("frames", "depth", "resolution" or "command") with a value read
// like the file's (e.g. "3-7", "16", "half"). Errors name the source as "--key".
void applyRenderOverride(Scene& scene, const std::string& key, const std::string& value);

} // namespace nebulastra::scenefile
