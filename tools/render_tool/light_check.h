// What the lights of a scene make of a frame, told to the user before it renders: the effect
// draws at most 32 clouds and says nothing when a light is left out, so a 33rd light, or a scene
// whose lights all fail to qualify, would otherwise give a frame that looks wrong without a word.
// The rules are the ones the effect applies to the host's answers: a light layer that is active
// at the frame's time, not an ambient or environment light, and, with "Emitters" on, named
// "cloud..." (any capitalisation of those five letters).
#pragma once

#include <cstdint>
#include <string>

#include "scenefile/scene.h"

namespace nebulastra::render_tool {

// The lights of a scene at one frame, sorted by why they do or do not make a cloud.
struct LightCount {
    int qualifying = 0;     // lights that make a cloud (of which the effect takes the top 32)
    int inactive = 0;       // switched off or outside their in and out points at this time
    int ambient = 0;        // ambient and environment lights
    int filteredByName = 0; // lights "Emitters" leaves out (names not beginning with "cloud")
    int unplaced = 0;       // lights whose position cannot be read
    int otherLayers = 0;    // layers that are not lights
    bool emittersOn = false;
    std::string firstDropped; // the name of the topmost qualifying light past the 32nd
};

constexpr int kMostClouds = 32;

LightCount countLights(const scenefile::Scene& scene, std::int32_t frame);

// The warning for this frame's lights (without a trailing newline), or "" when every qualifying
// light makes a cloud and there is at least one.
std::string lightWarning(const LightCount& count, std::int32_t frame);

} // namespace nebulastra::render_tool
