// LeanHost: the commands it sends and the records of one frame.
#include "leanhost/lean_host.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "leanhost/lean_session.h"
#include "scenefile/scene_eval.h"

namespace nebulastra::leanhost {

// A world of plain rows (no padding, no guards): reused from frame to frame while its size and
// depth stay the same.
struct World {
    std::vector<std::uint8_t> pixels;
    PF_LayerDef def{};

    void resize(std::int32_t width, std::int32_t height, int bitsPerChannel);
};

// The lean host: a session with worlds of its own, which it sends the commands.
struct LeanHost::State : Session {
    World input;
    World output;

    std::int32_t send(std::int32_t cmd, PF_ParamDef** params, PF_LayerDef* output, void* extra);
};

void World::resize(std::int32_t width, std::int32_t height, int bitsPerChannel) {
    width = std::max<std::int32_t>(0, width);
    height = std::max<std::int32_t>(0, height);
    const std::int32_t rowbytes = width * (bitsPerChannel == 32 ? 16 : bitsPerChannel == 16 ? 8 : 4);
    const std::size_t size = static_cast<std::size_t>(rowbytes) * static_cast<std::size_t>(height);
    if (pixels.size() != size) pixels.assign(size, 0);
    std::memset(&def, 0, sizeof def);
    def.world_flags = PF_WorldFlag_WRITEABLE | (bitsPerChannel == 16 ? PF_WorldFlag_DEEP : 0);
    def.data = pixels.data();
    def.rowbytes = rowbytes;
    def.width = width;
    def.height = height;
    def.extent_hint = PF_LRect{0, 0, width, height};
    def.pix_aspect_ratio = PF_RationalScale{1, 1};
}

std::int32_t LeanHost::State::send(std::int32_t cmd, PF_ParamDef** params, PF_LayerDef* out, void* extra) {
    effectlib::EffectModule& effectModule = module();
    std::memset(&outData, 0, sizeof outData);
    // Names the effect freed in an earlier command are dropped, so memory stays the same.
    names.remove_if([](const NameBlock& block) { return block.freed; });
    Activation active(*this);
    return effectModule.effectMain()(cmd, &inData, &outData, params, out, extra);
}

LeanHost::LeanHost(scenefile::Scene scene, std::shared_ptr<effectlib::EffectModule> effect)
    : state_(std::make_unique<State>()) {
    state_->scene = std::move(scene);
    state_->effect = std::move(effect);
    state_->inputWorld = WorldRef{&state_->input.def, 8};
    state_->outputWorld = WorldRef{&state_->output.def, 8};
    state_->prepareInData(0);
}

LeanHost::~LeanHost() = default;

namespace {

void require(std::int32_t err, const char* step) {
    if (err != 0) throw std::runtime_error(std::string(step) + " failed: " + std::to_string(err));
}

} // namespace

void LeanHost::start() {
    State& s = *state_;
    s.prepareInData(0);
    {
        Activation active(s);
        require(s.module().pluginDataEntry()(reinterpret_cast<PF_PluginData*>(&s.effectRef),
                                             &pluginDataCallback, basicSuite(), "After Effects", "23.4"),
                "PluginDataEntryFunction");
    }
    require(s.send(PF_Cmd_GLOBAL_SETUP, nullptr, nullptr, nullptr), "PF_Cmd_GLOBAL_SETUP");
    s.declared.clear();
    s.declaredText.clear();
    s.prepareInData(0);
    PF_ParamDef layer = s.paramValue(0, 0, 1);
    PF_ParamDef* params[1] = {&layer};
    require(s.send(PF_Cmd_PARAMS_SETUP, params, nullptr, nullptr), "PF_Cmd_PARAMS_SETUP");
}

void LeanHost::setRequestRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    state_->requestRect = PF_LRect{left, top, right, bottom};
}

void LeanHost::setInterrupts(Interrupts interrupts) { state_->interrupts = std::move(interrupts); }

std::int32_t LeanHost::requestFrame(std::int32_t frame) {
    State& s = *state_;
    const scenefile::FrameSize size = scenefile::frameSize(s.scene);
    const int depth = s.scene.render.depth;
    s.prepareInData(frame);
    // The layer under a generator is never read: one world of the frame's size serves every frame.
    s.input.resize(size.width, size.height, depth);
    s.inputWorld.bits = s.outputWorld.bits = depth;

    if (s.scene.render.command == scenefile::RenderCommand::Render) {
        s.output.resize(size.width, size.height, depth);
        return s.send(PF_Cmd_RENDER, s.renderParams(), &s.output.def, nullptr);
    }
    if (std::int32_t err = s.send(PF_Cmd_SMART_PRE_RENDER, nullptr, nullptr, s.preparePreRender()))
        return err;

    // The output is the rectangle pre-render declared as its result, as After Effects hands it.
    const PF_LRect r = s.preOutput.result_rect;
    s.output.resize(r.right - r.left, r.bottom - r.top, depth);
    s.output.def.origin_x = r.left;
    s.output.def.origin_y = r.top;
    s.prepareInData(frame);
    return s.send(PF_Cmd_SMART_RENDER, nullptr, nullptr, s.prepareSmartRender());
}

const PF_LayerDef& LeanHost::output() const { return state_->output.def; }

} // namespace nebulastra::leanhost
