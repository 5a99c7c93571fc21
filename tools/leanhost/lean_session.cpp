// A Session: the in_data of a frame, the parameter values and command records handed out, and the
// handles the answers give and take back.
#include <algorithm>
#include <stdexcept>

#include "leanhost/lean_session.h"
#include "scenefile/host_answers.h"

namespace nebulastra::leanhost {
namespace {

thread_local Session* tActive = nullptr;

} // namespace

Session* activeSession() { return tActive; }

Activation::Activation(Session& session) {
    if (tActive != nullptr) throw std::logic_error("a command is already in progress on this thread");
    tActive = &session;
}

Activation::~Activation() { tActive = nullptr; }

effectlib::EffectModule& Session::module() {
    if (!effect) effect = effectlib::EffectModule::shared();
    return *effect;
}

void Session::prepareInData(std::int32_t frame) {
    const scenefile::TimeBase& tb = scene.composition.timeBase;
    const scenefile::FrameSize size = scenefile::frameSize(scene);
    const auto ds = static_cast<A_u_long>(std::max(1, scene.render.downsample));
    // Handles stay valid while the composition keeps its layers; each dereferences to something.
    if (layerTokens.size() != scene.layers.size() + 1) layerTokens.assign(scene.layers.size() + 1, nullptr);
    for (void*& token : layerTokens) token = &token;
    PF_InData& d = inData;
    std::memset(&d, 0, sizeof d);
    d.inter = interactCallbacks();
    utils = utilCallbacks();
    d.utils = &utils;
    d.effect_ref = effectRefPtr();
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

PF_ParamDef Session::paramValue(std::int32_t index, std::int32_t whatTime, std::uint32_t timeScale) const {
    PF_ParamDef d;
    std::memset(&d, 0, sizeof d);
    if (index == 0) {
        d.param_type = PF_Param_LAYER;
        if (inputWorld.def != nullptr) std::memcpy(&d.u.ld, inputWorld.def, sizeof d.u.ld);
        return d;
    }
    if (index < 0 || index > static_cast<std::int32_t>(declared.size())) return d;
    std::memcpy(&d, &declared[static_cast<std::size_t>(index - 1)], sizeof d);
    const auto found = scene.effect.find(index);
    if (found == scene.effect.end()) return d; // the declared default
    // The scene's value was read in the units of the effect's table; the effect must have
    // declared the same kind of control, or that value means something else here.
    if (!scenefile::setDeclaredValue(d, index, found->second, scenefile::secondsOf(whatTime, timeScale)) &&
        onKindMismatch)
        onKindMismatch(index);
    return d;
}

PF_ParamDef** Session::renderParams() {
    renderValues.clear();
    for (std::int32_t i = 0; i <= static_cast<std::int32_t>(declared.size()); ++i)
        renderValues.push_back(paramValue(i, inData.current_time, inData.time_scale));
    renderPointers.clear();
    for (PF_ParamDef& v : renderValues) renderPointers.push_back(&v);
    return renderPointers.data();
}

PF_PreRenderExtra* Session::preparePreRender() {
    const scenefile::FrameSize size = scenefile::frameSize(scene);
    std::memset(&preInput, 0, sizeof preInput);
    preInput.output_request.rect = requestRect.value_or(PF_LRect{0, 0, size.width, size.height});
    preInput.output_request.field = PF_Field_FRAME;
    preInput.output_request.channel_mask = PF_ChannelMask_ARGB;
    preInput.bitdepth = static_cast<A_short>(scene.render.depth);
    std::memset(&preOutput, 0, sizeof preOutput);
    preCallbacks = preRenderCallbacks();
    preExtra = PF_PreRenderExtra{&preInput, &preOutput, &preCallbacks};
    return &preExtra;
}

PF_SmartRenderExtra* Session::prepareSmartRender() {
    std::memset(&smartInput, 0, sizeof smartInput);
    smartInput.output_request = preInput.output_request;
    smartInput.bitdepth = static_cast<A_short>(scene.render.depth);
    smartCallbacks = smartRenderCallbacks();
    smartExtra = PF_SmartRenderExtra{&smartInput, &smartCallbacks};
    return &smartExtra;
}

std::int32_t Session::layerIndex(AEGP_LayerH handle) const {
    const auto* token = reinterpret_cast<void* const*>(handle);
    if (layerTokens.empty() || token < layerTokens.data() || token >= layerTokens.data() + layerTokens.size())
        return -2;
    return static_cast<std::int32_t>(token - layerTokens.data()) - 1;
}

const scenefile::Layer* Session::layer(std::int32_t index) const {
    if (index < 0 || index >= static_cast<std::int32_t>(scene.layers.size())) return nullptr;
    return &scene.layers[static_cast<std::size_t>(index)];
}

std::optional<std::string> Session::layerName(std::int32_t index) const {
    const scenefile::Layer* l = layer(index);
    return l != nullptr ? l->name : std::optional<std::string>("Nebulastra layer");
}

NameBlock* Session::nameBlock(AEGP_MemHandle handle) {
    for (NameBlock& block : names)
        if (reinterpret_cast<void*>(handle) == &block.self) return &block;
    return nullptr;
}

} // namespace nebulastra::leanhost
