// LeanHost: the commands it sends and the records of one frame.
#include "leanhost/lean_host.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

#include "leanhost/lean_state.h"
#include "scenefile/host_answers.h"

namespace nebulastra::leanhost {
namespace {

std::atomic<LeanHost::State*> gActive{nullptr};

// Makes `state` the host the suites answer for, for the length of one command.
class Activation {
public:
    explicit Activation(LeanHost::State& state) {
        LeanHost::State* expected = nullptr;
        if (!gActive.compare_exchange_strong(expected, &state))
            throw std::logic_error("another lean host is inside a command");
    }
    ~Activation() { gActive.store(nullptr); }
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;
};

std::int32_t bytesPerPixel(int bits) { return bits == 32 ? 16 : bits == 16 ? 8 : 4; }

} // namespace

LeanHost::State* activeHost() { return gActive.load(); }

void World::resize(std::int32_t width, std::int32_t height, int bitsPerChannel) {
    width = std::max<std::int32_t>(0, width);
    height = std::max<std::int32_t>(0, height);
    const std::int32_t rowbytes = width * bytesPerPixel(bitsPerChannel);
    const std::size_t size = static_cast<std::size_t>(rowbytes) * static_cast<std::size_t>(height);
    if (pixels.size() != size) pixels.assign(size, 0);
    bits = bitsPerChannel;
    std::memset(&def, 0, sizeof def);
    def.world_flags = PF_WorldFlag_WRITEABLE | (bits == 16 ? PF_WorldFlag_DEEP : 0);
    def.data = pixels.data();
    def.rowbytes = rowbytes;
    def.width = width;
    def.height = height;
    def.extent_hint = PF_LRect{0, 0, width, height};
    def.pix_aspect_ratio = PF_RationalScale{1, 1};
}

std::int32_t LeanHost::State::send(std::int32_t cmd, PF_ParamDef** params, PF_LayerDef* out, void* extra) {
    if (!effect) effect = effectlib::EffectModule::shared();
    std::memset(&outData, 0, sizeof outData);
    Activation active(*this);
    return effect->effectMain()(cmd, &inData, &outData, params, out, extra);
}

void LeanHost::State::prepareInData(std::int32_t frame) {
    const scenefile::TimeBase& tb = scene.composition.timeBase;
    const scenefile::FrameSize size = scenefile::frameSize(scene);
    const auto ds = static_cast<A_u_long>(std::max(1, scene.render.downsample));
    PF_InData& d = inData;
    std::memset(&d, 0, sizeof d);
    d.inter = interactCallbacks();
    utils = utilCallbacks();
    d.utils = &utils;
    d.effect_ref = reinterpret_cast<PF_ProgPtr>(&effectRef);
    d.quality = PF_Quality_HI;
    d.version = PF_SpecVersion{13, 28};
    d.appl_id = 0x46585443; // 'FXTC', After Effects
    d.num_params = static_cast<A_long>(declared.size()) + 1;
    d.current_time = static_cast<A_long>(scenefile::frameCurrentTime(tb, frame));
    d.time_step = tb.timeStep;
    d.total_time = static_cast<A_long>(scenefile::frameCurrentTime(tb, scene.render.lastFrame + 1));
    d.local_time_step = tb.timeStep;
    d.time_scale = tb.timeScale;
    d.field = PF_Field_FRAME;
    const scenefile::ShutterAnswer shutter = scenefile::shutterFor(scene);
    d.shutter_angle = shutter.angle;
    d.shutter_phase = shutter.phase;
    d.width = scene.layerWidth > 0 ? scene.layerWidth : scene.composition.width;
    d.height = scene.layerHeight > 0 ? scene.layerHeight : scene.composition.height;
    d.extent_hint = PF_LRect{0, 0, size.width, size.height};
    d.downsample_x = d.downsample_y = PF_RationalScale{1, ds};
    d.pixel_aspect_ratio = PF_RationalScale{1, 1};
    d.pica_basicP = basicSuite();
}

PF_ParamDef LeanHost::State::paramValue(std::int32_t index, std::int32_t whatTime,
                                        std::uint32_t timeScale) const {
    PF_ParamDef d;
    std::memset(&d, 0, sizeof d);
    if (index == 0) {
        d.param_type = PF_Param_LAYER;
        std::memcpy(&d.u.ld, &input.def, sizeof d.u.ld);
        return d;
    }
    if (index < 0 || index > static_cast<std::int32_t>(declared.size())) return d;
    std::memcpy(&d, &declared[static_cast<std::size_t>(index - 1)], sizeof d);
    const auto found = scene.effect.find(index);
    if (found != scene.effect.end()) {
        const double t =
            timeScale == 0 ? 0.0 : static_cast<double>(whatTime) / static_cast<double>(timeScale);
        scenefile::setDeclaredValue(d, index, found->second, t); // a mismatched kind keeps the default
    }
    return d;
}

std::int32_t LeanHost::State::layerIndex(AEGP_LayerH handle) const {
    const auto* token = reinterpret_cast<void* const*>(handle);
    if (layerTokens.empty() || token < layerTokens.data() || token >= layerTokens.data() + layerTokens.size())
        return -2;
    return static_cast<std::int32_t>(token - layerTokens.data()) - 1;
}

const scenefile::Layer* LeanHost::State::layer(std::int32_t index) const {
    if (index < 0 || index >= static_cast<std::int32_t>(scene.layers.size())) return nullptr;
    return &scene.layers[static_cast<std::size_t>(index)];
}

LeanHost::LeanHost(scenefile::Scene scene, std::shared_ptr<effectlib::EffectModule> effect)
    : state_(std::make_unique<State>()) {
    state_->scene = std::move(scene);
    state_->effect = std::move(effect);
    state_->layerTokens.assign(state_->scene.layers.size() + 1, nullptr);
    state_->prepareInData(0);
}

LeanHost::~LeanHost() = default;

namespace {

std::int32_t pluginDataCallback(PF_PluginData*, const unsigned char*, const unsigned char*,
                                const unsigned char*, const unsigned char*, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t) {
    return A_Err_NONE; // the tool has no menu to put the effect in
}

void require(std::int32_t err, const char* step) {
    if (err != 0) throw std::runtime_error(std::string(step) + " failed: " + std::to_string(err));
}

} // namespace

void LeanHost::start() {
    State& s = *state_;
    if (!s.effect) s.effect = effectlib::EffectModule::shared();
    s.prepareInData(0);
    {
        Activation active(s);
        require(s.effect->pluginDataEntry()(reinterpret_cast<PF_PluginData*>(&s.effectRef),
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

    if (s.scene.render.command == scenefile::RenderCommand::Render) {
        s.output.resize(size.width, size.height, depth);
        std::vector<PF_ParamDef> values;
        values.reserve(s.declared.size() + 1);
        for (std::int32_t i = 0; i <= static_cast<std::int32_t>(s.declared.size()); ++i)
            values.push_back(s.paramValue(i, s.inData.current_time, s.inData.time_scale));
        std::vector<PF_ParamDef*> params;
        for (PF_ParamDef& v : values) params.push_back(&v);
        return s.send(PF_Cmd_RENDER, params.data(), &s.output.def, nullptr);
    }

    std::memset(&s.preInput, 0, sizeof s.preInput);
    s.preInput.output_request.rect = s.requestRect.value_or(PF_LRect{0, 0, size.width, size.height});
    s.preInput.output_request.field = PF_Field_FRAME;
    s.preInput.output_request.channel_mask = PF_ChannelMask_ARGB;
    s.preInput.bitdepth = static_cast<A_short>(depth);
    std::memset(&s.preOutput, 0, sizeof s.preOutput);
    s.preCallbacks = preRenderCallbacks();
    PF_PreRenderExtra preExtra{&s.preInput, &s.preOutput, &s.preCallbacks};
    if (std::int32_t err = s.send(PF_Cmd_SMART_PRE_RENDER, nullptr, nullptr, &preExtra)) return err;

    // The output is the rectangle pre-render declared as its result, as After Effects hands it.
    const PF_LRect r = s.preOutput.result_rect;
    s.output.resize(r.right - r.left, r.bottom - r.top, depth);
    s.output.def.origin_x = r.left;
    s.output.def.origin_y = r.top;
    s.prepareInData(frame);
    std::memset(&s.smartInput, 0, sizeof s.smartInput);
    s.smartInput.output_request = s.preInput.output_request;
    s.smartInput.bitdepth = static_cast<A_short>(depth);
    s.smartCallbacks = smartRenderCallbacks();
    PF_SmartRenderExtra smartExtra{&s.smartInput, &s.smartCallbacks};
    return s.send(PF_Cmd_SMART_RENDER, nullptr, nullptr, &smartExtra);
}

const PF_LayerDef& LeanHost::output() const { return state_->output.def; }

} // namespace nebulastra::leanhost
