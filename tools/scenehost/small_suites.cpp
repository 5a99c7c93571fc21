// The three small suites: "AEGP Utility Suite" 13 (registration hands out the plug-in ID),
// "PF ANSI Suite" 1 (sprintf and strcpy as in in_data's utils; the maths are refused, as there)
// and "PF World Suite" 2 (the pixel format of the worlds this host handed out), each checked and
// recorded, then answered by the lean host.
#include <cstring>
#include <string>

#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

A_Err registerWithAEGP(AEGP_GlobalRefcon refcon, const A_char* plugin_name, AEGP_PluginID* plugin_id) {
    const char* fn = "AEGP_RegisterWithAEGP";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    const std::string name = plugin_name != nullptr ? plugin_name : "";
    if (plugin_name == nullptr || plugin_id == nullptr) {
        s->fault("AEGP_RegisterWithAEGP without a name or an ID pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER, name);
    }
    if (name.size() + 1 > static_cast<std::size_t>(AEGP_MAX_PLUGIN_NAME_SIZE))
        s->fault("AEGP_RegisterWithAEGP name longer than " + std::to_string(AEGP_MAX_PLUGIN_NAME_SIZE - 1));
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, -1, -1, f->err, name);
    const A_Err err = leanhost::utilitySuite().AEGP_RegisterWithAEGP(refcon, plugin_name, plugin_id);
    return answer(*s, fn, s->pluginId, -1, err, name);
}

PF_Err getPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* pixel_format) {
    const char* fn = "PF_GetPixelFormat";
    State* s = enterHost(fn);
    if (s == nullptr) return PF_Err_INVALID_CALLBACK;
    if (pixel_format == nullptr) {
        s->fault("PF_GetPixelFormat without a result pointer");
        return answer(*s, fn, -1, -1, PF_Err_BAD_CALLBACK_PARAM);
    }
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, -1, -1, f->err);
    const HostWorld* known = world == s->output.world()  ? &s->output
                             : world == s->input.world() ? &s->input
                                                         : nullptr;
    if (known == nullptr) {
        s->fault("PF_GetPixelFormat of a world the host did not hand out");
        return answer(*s, fn, -1, -1, PF_Err_BAD_CALLBACK_PARAM);
    }
    return answer(*s, fn, known->bitsPerChannel(), -1,
                  leanhost::worldSuite().PF_GetPixelFormat(world, pixel_format));
}

} // namespace

const void* checkedUtilitySuite() {
    static const AEGP_UtilitySuite6 table = [] {
        AEGP_UtilitySuite6 t;
        fillRefused<kUtility, std::size(kUtilitySuiteSlots)>(t);
        t.AEGP_RegisterWithAEGP = &registerWithAEGP;
        return t;
    }();
    return &table;
}

const void* checkedAnsiSuite() {
    static const PF_ANSICallbacksSuite1 table = [] {
        PF_ANSICallbacksSuite1 t;
        fillRefused<kAnsi, std::size(kAnsiSuiteSlots)>(t);
        t.sprintf = &hostSprintf;
        t.strcpy = &hostStrcpy;
        return t;
    }();
    return &table;
}

const void* checkedWorldSuite() {
    static const PF_WorldSuite2 table = [] {
        PF_WorldSuite2 t;
        fillRefused<kWorld, std::size(kWorldSuiteSlots)>(t);
        t.PF_GetPixelFormat = &getPixelFormat;
        return t;
    }();
    return &table;
}

} // namespace nebulastra::scenehost
