// The callbacks the host hands the effect through in_data.inter and the smart-render extras:
// parameter declaration, parameter checkout and checkin with their balance accounting, abort and
// progress (asking to stop as the test's Interrupt says), the pre-render layer checkout and the
// smart-render pixel and output checkouts, each checked and recorded, then answered by the lean
// host. Every slot the effect has no reason to call is refused: the call is recorded as a fault
// and answered with PF_Err_INVALID_CALLBACK.
#include <cstring>
#include <string>

#include "scenehost/host_state.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

// A refused slot: records which one was called and answers with an error. The arguments are
// ignored (every host callback is a plain C function returning a 32-bit error).
template <int Slot>
PF_Err refusedInteract() {
    static const char* const kNames[] = {"inter.register_ui", "inter.checkout_layer_audio",
                                         "inter.checkin_layer_audio", "inter.get_audio_data",
                                         "pre-render GuidMixInPtr"};
    if (State* s = enterHost(kNames[Slot])) {
        s->record(HostCall{kNames[Slot], -1, -1, PF_Err_INVALID_CALLBACK, ""});
        s->fault(std::string("refused callback ") + kNames[Slot] + " called");
    }
    return PF_Err_INVALID_CALLBACK;
}

template <typename Fn, int Slot>
Fn refused() {
    return functionCast<Fn>(&refusedInteract<Slot>);
}

// Fault when a render callback arrives during a command it does not belong to (runAsCommand
// leaves the command unknown and accepts it).
void checkCommand(State& s, const char* callback, PF_Cmd expected) {
    if (s.command >= 0 && s.command != expected)
        s.fault(std::string(callback) + " called during command " + std::to_string(s.command));
}

bool checkEffectRef(State& s, const char* callback, PF_ProgPtr ref) {
    if (ref == s.effectRefPtr()) return true;
    s.fault(std::string(callback) + " called with an effect_ref the host did not hand out");
    return false;
}

// The lean host's answers (leanhost/lean_session.h), which every served slot passes the call on to.
const PF_InteractCallbacks& lean() {
    static const PF_InteractCallbacks table = leanhost::interactCallbacks();
    return table;
}

const PF_PreRenderCallbacks& preRender() {
    static const PF_PreRenderCallbacks table = leanhost::preRenderCallbacks();
    return table;
}

const PF_SmartRenderCallbacks& smartRender() {
    static const PF_SmartRenderCallbacks table = leanhost::smartRenderCallbacks();
    return table;
}

// ---- parameters -------------------------------------------------------------------------------

PF_Err addParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def) {
    State* s = enterHost("add_param");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    if (!checkEffectRef(*s, "add_param", effect_ref) || def == nullptr) {
        if (def == nullptr) s->fault("add_param called without a definition");
        s->record(HostCall{"add_param", index, -1, PF_Err_BAD_CALLBACK_PARAM, ""});
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    checkCommand(*s, "add_param", PF_Cmd_PARAMS_SETUP);
    const int call = ++s->addParamCalls;
    auto failure = s->addParamFailures.find(call);
    const PF_Err err = failure == s->addParamFailures.end() ? PF_Err_NONE : failure->second;
    if (std::memchr(def->name, '\0', sizeof def->name) == nullptr)
        s->fault("add_param call " + std::to_string(call) + ": name not terminated within 32 bytes");
    const char* begin = def->name;
    const char* end = static_cast<const char*>(std::memchr(begin, '\0', sizeof def->name));
    const std::string name(begin, end != nullptr ? end : begin + sizeof def->name);
    s->record(HostCall{"add_param", index, -1, err, name});
    if (err != PF_Err_NONE) return err;
    return lean().add_param(effect_ref, index, def);
}

PF_Err checkoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                     A_u_long time_scale, PF_ParamDef* param) {
    State* s = enterHost("checkout_param");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    PF_Err err = PF_Err_NONE;
    if (!checkEffectRef(*s, "checkout_param", effect_ref) || param == nullptr) {
        if (param == nullptr) s->fault("checkout_param called without a definition slot");
        err = PF_Err_BAD_CALLBACK_PARAM;
    } else if (index < 0 || index > static_cast<PF_ParamIndex>(s->declared.size())) {
        s->fault("checkout_param of index " + std::to_string(index) + ", which does not exist");
        err = PF_Err_INVALID_INDEX;
    } else if (auto f = s->checkoutFailures.find(index); f != s->checkoutFailures.end()) {
        err = f->second;
    }
    s->record(HostCall{"checkout_param", index, -1, err, ""});
    s->paramCheckouts.push_back(ParamCheckout{index, what_time, time_step, time_scale, err});
    if (err != PF_Err_NONE) return err;

    if (auto it = s->outstanding.find(param); it != s->outstanding.end())
        s->fault("checkout_param of " + std::to_string(index) + " into the slot of parameter " +
                 std::to_string(it->second.first) + ", which is still checked out");
    err = lean().checkout_param(effect_ref, index, what_time, time_step, time_scale, param);
    if (err != PF_Err_NONE) return err;
    auto& entry = s->outstanding[param];
    entry.first = index;
    std::memcpy(&entry.second, param, sizeof *param);
    ++s->paramCounts[index].checkouts;
    return PF_Err_NONE;
}

PF_Err checkinParam(PF_ProgPtr effect_ref, PF_ParamDef* param) {
    State* s = enterHost("checkin_param");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    checkEffectRef(*s, "checkin_param", effect_ref);
    auto it = s->outstanding.find(param);
    if (it == s->outstanding.end()) {
        s->record(HostCall{"checkin_param", -1, -1, PF_Err_BAD_CALLBACK_PARAM, ""});
        s->fault("checkin_param of a definition that was not checked out");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const std::int32_t index = it->second.first;
    s->record(HostCall{"checkin_param", index, -1, PF_Err_NONE, ""});
    if (std::memcmp(param, &it->second.second, sizeof *param) != 0)
        s->fault("parameter " + std::to_string(index) + " was changed by the effect before checkin");
    ++s->paramCounts[index].checkins;
    s->outstanding.erase(it);
    return lean().checkin_param(effect_ref, param);
}

// ---- interruption -----------------------------------------------------------------------------

PF_Err abortCallback(PF_ProgPtr effect_ref) {
    State* s = enterHost("inter.abort");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    if (!checkEffectRef(*s, "inter.abort", effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
    ++s->abortPolls;
    const PF_Err answer = lean().abort(effect_ref);
    // Only answers that ask to stop are logged: a frame may poll a few hundred times.
    if (answer != PF_Err_NONE) s->record(HostCall{"inter.abort", s->abortPolls, -1, answer, ""});
    return answer;
}

PF_Err progressCallback(PF_ProgPtr effect_ref, A_long current, A_long total) {
    State* s = enterHost("inter.progress");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    if (!checkEffectRef(*s, "inter.progress", effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
    const std::string at = "progress " + std::to_string(current) + " of " + std::to_string(total);
    if (total <= 0 || current < 0 || current > total) s->fault(at + ": outside 0 .. total");
    if (!s->progress.empty()) {
        if (total != s->progress.back().total) s->fault(at + ": the total changed within the command");
        if (current < s->progress.back().current) s->fault(at + ": fewer than reported before");
    }
    s->progress.push_back(ProgressReport{current, total});
    const PF_Err answer = lean().progress(effect_ref, current, total);
    s->record(HostCall{"inter.progress", current, -1, answer, "of " + std::to_string(total)});
    return answer;
}

// ---- pre-render and smart render --------------------------------------------------------------

PF_Err checkoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                     const PF_RenderRequest* req, A_long what_time, A_long time_step, A_u_long time_scale,
                     PF_CheckoutResult* checkout_result) {
    State* s = enterHost("checkout_layer");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    checkCommand(*s, "checkout_layer", PF_Cmd_SMART_PRE_RENDER);
    LayerCheckout call;
    call.index = index;
    call.checkoutId = checkout_id;
    if (req != nullptr) {
        call.rectLeft = req->rect.left;
        call.rectTop = req->rect.top;
        call.rectRight = req->rect.right;
        call.rectBottom = req->rect.bottom;
        call.field = req->field;
        call.channelMask = req->channel_mask;
        call.preserveRgbOfZeroAlpha = req->preserve_rgb_of_zero_alpha;
    }
    call.whatTime = what_time;
    call.timeStep = time_step;
    call.timeScale = time_scale;
    s->layerCheckouts.push_back(call);

    PF_Err err = PF_Err_NONE;
    if (!checkEffectRef(*s, "checkout_layer", effect_ref) || req == nullptr || checkout_result == nullptr) {
        if (req == nullptr || checkout_result == nullptr)
            s->fault("checkout_layer without request or result");
        err = PF_Err_BAD_CALLBACK_PARAM;
    } else if (index != 0) {
        s->fault("checkout_layer of parameter " + std::to_string(index) + ", which is not a layer");
        err = PF_Err_INVALID_INDEX;
    } else {
        err = s->layerCheckoutErr;
    }
    if (err == PF_Err_NONE) {
        err = preRender().checkout_layer(effect_ref, index, checkout_id, req, what_time, time_step,
                                         time_scale, checkout_result);
    }
    s->record(HostCall{"checkout_layer", index, -1, err, ""});
    if (err == PF_Err_NONE) s->checkoutIds.insert(checkout_id);
    return err;
}

PF_Err checkoutLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld** pixels) {
    State* s = enterHost("checkout_layer_pixels");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    checkCommand(*s, "checkout_layer_pixels", PF_Cmd_SMART_RENDER);
    PF_Err err = PF_Err_NONE;
    if (!checkEffectRef(*s, "checkout_layer_pixels", effect_ref) || pixels == nullptr) {
        if (pixels == nullptr) s->fault("checkout_layer_pixels without a world pointer");
        err = PF_Err_BAD_CALLBACK_PARAM;
    } else if (s->checkoutIds.count(checkout_id) == 0) {
        s->fault("checkout_layer_pixels of id " + std::to_string(checkout_id) +
                 ", which pre-render did not check out");
        err = PF_Err_BAD_CALLBACK_PARAM;
    } else {
        err = s->layerPixelsErr;
    }
    if (err == PF_Err_NONE) err = smartRender().checkout_layer_pixels(effect_ref, checkout_id, pixels);
    s->record(HostCall{"checkout_layer_pixels", checkout_id, -1, err, ""});
    return err;
}

PF_Err checkinLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id) {
    State* s = enterHost("checkin_layer_pixels");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    checkEffectRef(*s, "checkin_layer_pixels", effect_ref);
    s->record(HostCall{"checkin_layer_pixels", checkout_id, -1, PF_Err_NONE, ""});
    if (s->checkoutIds.count(checkout_id) == 0)
        s->fault("checkin_layer_pixels of id " + std::to_string(checkout_id) + ", which was not checked out");
    return smartRender().checkin_layer_pixels(effect_ref, checkout_id);
}

PF_Err checkoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld** output) {
    State* s = enterHost("checkout_output");
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    checkCommand(*s, "checkout_output", PF_Cmd_SMART_RENDER);
    PF_Err err = s->outputErr;
    if (!checkEffectRef(*s, "checkout_output", effect_ref) || output == nullptr) {
        if (output == nullptr) s->fault("checkout_output without a world pointer");
        err = PF_Err_BAD_CALLBACK_PARAM;
    }
    if (err == PF_Err_NONE) err = smartRender().checkout_output(effect_ref, output);
    s->record(HostCall{"checkout_output", -1, -1, err, ""});
    if (err != PF_Err_NONE) return err;
    ++s->outputCheckouts;
    if (s->withholdOutput) *output = nullptr;
    return PF_Err_NONE;
}

} // namespace

bool SceneHost::State::stopAsked() {
    const Interrupt& i = interrupt;
    const bool asked = (i.afterPolls > 0 && abortPolls >= i.afterPolls) ||
                       (i.afterTime && std::chrono::steady_clock::now() - commandStart >= *i.afterTime) ||
                       (i.afterRows >= 0 && !progress.empty() && progress.back().current >= i.afterRows);
    if (asked && !stopAskedAt) stopAskedAt = std::chrono::steady_clock::now();
    return asked;
}

const PF_InteractCallbacks& checkedInteractCallbacks() {
    static const PF_InteractCallbacks table = [] {
        PF_InteractCallbacks t;
        std::memset(&t, 0, sizeof t);
        t.checkout_param = &checkoutParam;
        t.checkin_param = &checkinParam;
        t.add_param = &addParam;
        t.abort = &abortCallback;
        t.progress = &progressCallback;
        t.register_ui = refused<decltype(t.register_ui), 0>();
        t.checkout_layer_audio = refused<decltype(t.checkout_layer_audio), 1>();
        t.checkin_layer_audio = refused<decltype(t.checkin_layer_audio), 2>();
        t.get_audio_data = refused<decltype(t.get_audio_data), 3>();
        return t;
    }();
    return table;
}

PF_PreRenderCallbacks checkedPreRenderCallbacks() {
    PF_PreRenderCallbacks t;
    t.checkout_layer = &checkoutLayer;
    t.GuidMixInPtr = refused<decltype(t.GuidMixInPtr), 4>();
    return t;
}

PF_SmartRenderCallbacks checkedSmartRenderCallbacks() {
    PF_SmartRenderCallbacks t;
    t.checkout_layer_pixels = &checkoutLayerPixels;
    t.checkin_layer_pixels = &checkinLayerPixels;
    t.checkout_output = &checkoutOutput;
    return t;
}

std::int32_t checkedPluginDataCallback(PF_PluginData* data, const unsigned char* name,
                                       const unsigned char* matchName, const unsigned char* category,
                                       const unsigned char* entryPoint, std::int32_t kind,
                                       std::int32_t apiMajor, std::int32_t apiMinor,
                                       std::int32_t reservedInfo) {
    State* s = enterHost("plug-in data callback");
    if (s == nullptr) return A_Err_GENERIC;
    auto text = [](const unsigned char* p) {
        return p == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(p));
    };
    PluginRegistration& r = s->registration;
    ++r.calls;
    r.pluginData = data;
    r.name = text(name);
    r.matchName = text(matchName);
    r.category = text(category);
    r.entryPoint = text(entryPoint);
    r.kind = kind;
    r.apiMajor = apiMajor;
    r.apiMinor = apiMinor;
    r.reservedInfo = reservedInfo;
    const std::int32_t err = leanhost::pluginDataCallback(data, name, matchName, category, entryPoint, kind,
                                                          apiMajor, apiMinor, reservedInfo);
    s->record(HostCall{"plug-in data callback", kind, -1, err, r.name});
    if (static_cast<void*>(data) != &s->pluginData)
        s->fault("plug-in data callback: the host's data pointer was not passed back");
    return err;
}

} // namespace nebulastra::scenehost
