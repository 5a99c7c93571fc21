// The lean host: plays After Effects for the effect exactly as far as rendering a scene needs,
// and no further. It answers every call the effect makes from the scene (lean_session.h: the
// answers the strict scene host hands out too, around its checks) but records nothing, checks
// nothing and poisons nothing: its memory stays the same over any number of frames, and a frame
// costs the effect's render plus one copy of the output, whatever the frame size.
//
// What it serves: registration, PF_Cmd_GLOBAL_SETUP, PF_Cmd_PARAMS_SETUP, then frames through the
// scene's render command (smart pre-render + smart render, or PF_Cmd_RENDER); the eight suites
// the effect acquires; the parameter callbacks; the host's interrupt callbacks (inter.abort and
// inter.progress) so a user can stop a frame mid-way and watch it advance.
//
// The suites are process-wide function tables that carry no context pointer: one LeanHost per
// thread may be inside a command.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "effectlib/effect_module.h"
#include "host/host_types.h"
#include "scenefile/scene.h"

struct PF_LayerDef;

namespace nebulastra::leanhost {

// What the interrupt callbacks answer. Both are called on the effect's calling thread, during a
// render command.
struct Interrupts {
    // inter.abort answers stopAnswer while this returns true, else PF_Err_NONE.
    std::function<bool()> stopRequested;
    // inter.progress(current, total): `current` of `total` (rows of the frame, as the effect
    // counts them) are done.
    std::function<void(std::int32_t current, std::int32_t total)> progress;
    std::int32_t stopAnswer = PF_Interrupt_CANCEL; // another error plays a failing host
    // The stop is answered by progress instead (after the report), and abort keeps answering
    // PF_Err_NONE.
    bool stopThroughProgress = false;
};

class LeanHost {
public:
    // A null effect means effectlib::EffectModule::shared().
    explicit LeanHost(scenefile::Scene scene, std::shared_ptr<effectlib::EffectModule> effect = nullptr);
    ~LeanHost();
    LeanHost(const LeanHost&) = delete;
    LeanHost& operator=(const LeanHost&) = delete;

    // Registration, PF_Cmd_GLOBAL_SETUP and PF_Cmd_PARAMS_SETUP; throws std::runtime_error naming
    // the step that failed and its error.
    void start();

    // The request rectangle of the smart commands, in layer pixels at the render's downsample;
    // default the whole frame.
    void setRequestRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

    void setInterrupts(Interrupts interrupts);

    // One frame through the scene's render command; returns the effect's result
    // (PF_Interrupt_CANCEL when it stopped on inter.abort).
    std::int32_t requestFrame(std::int32_t frame);

    // The world the last frame was rendered into: for the smart commands the rectangle pre-render
    // declared as its result (origin_x / origin_y its corner in the frame), else the whole frame.
    const PF_LayerDef& output() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace nebulastra::leanhost
