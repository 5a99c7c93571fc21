// The host nebulastra-render plays: the lean host (leanhost/lean_host.h) by default, whose memory
// stays the same over any number of frames; with --strict the scene host the tests play, which
// checks every call the effect makes and fails the frame on the first fault.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "effectlib/effect_module.h"
#include "host/host_abi.h"
#include "leanhost/lean_host.h"
#include "region.h"
#include "scenefile/scene.h"

namespace nebulastra::render_tool {

class FrameHost {
public:
    virtual ~FrameHost() = default;
    // The effect's error for the frame (PF_Interrupt_CANCEL when it stopped on the user's word).
    // The strict host throws std::runtime_error naming the first fault it found.
    virtual std::int32_t requestFrame(std::int32_t frame) = 0;
    // The last frame's output world.
    virtual const PF_LayerDef& output() = 0;
};

// Loads the effect and takes it through setup (std::runtime_error when a step fails); `region` is
// the request rectangle of the smart commands.
// The interrupts are served by the lean host only: the strict host refuses those callbacks.
std::unique_ptr<FrameHost> makeFrameHost(bool strict, scenefile::Scene scene,
                                         std::shared_ptr<effectlib::EffectModule> effect,
                                         const std::optional<Region>& region,
                                         leanhost::Interrupts interrupts);

} // namespace nebulastra::render_tool
