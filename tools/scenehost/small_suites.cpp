// The three small suites: "AEGP Utility Suite" 13 (registration hands out the plug-in ID),
// "PF ANSI Suite" 1 (sprintf and strcpy as in in_data's utils, the maths served as the C library
// computes it) and "PF World Suite" 2 (the pixel format of the worlds this host handed out).
#include <cmath>
#include <cstring>
#include <string>

#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

A_Err registerWithAEGP(AEGP_GlobalRefcon, const A_char* plugin_name, AEGP_PluginID* plugin_id) {
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
    *plugin_id = s->pluginId;
    return answer(*s, fn, s->pluginId, -1, A_Err_NONE, name);
}

template <int Slot>
void noteMath(const char* name) {
    if (State* s = enterHost(name)) answer(*s, name, -1, -1, 0);
}

A_FpLong ansiAtan(A_FpLong x) {
    noteMath<0>("atan");
    return std::atan(x);
}
A_FpLong ansiAtan2(A_FpLong y, A_FpLong x) {
    noteMath<1>("atan2");
    return std::atan2(y, x);
}
A_FpLong ansiCeil(A_FpLong x) {
    noteMath<2>("ceil");
    return std::ceil(x);
}
A_FpLong ansiCos(A_FpLong x) {
    noteMath<3>("cos");
    return std::cos(x);
}
A_FpLong ansiExp(A_FpLong x) {
    noteMath<4>("exp");
    return std::exp(x);
}
A_FpLong ansiFabs(A_FpLong x) {
    noteMath<5>("fabs");
    return std::fabs(x);
}
A_FpLong ansiFloor(A_FpLong x) {
    noteMath<6>("floor");
    return std::floor(x);
}
A_FpLong ansiFmod(A_FpLong x, A_FpLong y) {
    noteMath<7>("fmod");
    return std::fmod(x, y);
}
A_FpLong ansiHypot(A_FpLong x, A_FpLong y) {
    noteMath<8>("hypot");
    return std::hypot(x, y);
}
A_FpLong ansiLog(A_FpLong x) {
    noteMath<9>("log");
    return std::log(x);
}
A_FpLong ansiLog10(A_FpLong x) {
    noteMath<10>("log10");
    return std::log10(x);
}
A_FpLong ansiPow(A_FpLong x, A_FpLong y) {
    noteMath<11>("pow");
    return std::pow(x, y);
}
A_FpLong ansiSin(A_FpLong x) {
    noteMath<12>("sin");
    return std::sin(x);
}
A_FpLong ansiSqrt(A_FpLong x) {
    noteMath<13>("sqrt");
    return std::sqrt(x);
}
A_FpLong ansiTan(A_FpLong x) {
    noteMath<14>("tan");
    return std::tan(x);
}
A_FpLong ansiAsin(A_FpLong x) {
    noteMath<17>("asin");
    return std::asin(x);
}
A_FpLong ansiAcos(A_FpLong x) {
    noteMath<18>("acos");
    return std::acos(x);
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
    *pixel_format = known->pixelFormat();
    return answer(*s, fn, known->bitsPerChannel(), -1, PF_Err_NONE);
}

} // namespace

const void* utilitySuite() {
    static const AEGP_UtilitySuite6 table = [] {
        AEGP_UtilitySuite6 t;
        fillUnserved<kUtility, std::size(kUtilitySuiteSlots)>(t);
        t.AEGP_RegisterWithAEGP = &registerWithAEGP;
        return t;
    }();
    return &table;
}

const void* ansiSuite() {
    static const PF_ANSICallbacksSuite1 table = [] {
        PF_ANSICallbacksSuite1 t;
        fillUnserved<kAnsi, std::size(kAnsiSuiteSlots)>(t);
        t.atan = &ansiAtan;
        t.atan2 = &ansiAtan2;
        t.ceil = &ansiCeil;
        t.cos = &ansiCos;
        t.exp = &ansiExp;
        t.fabs = &ansiFabs;
        t.floor = &ansiFloor;
        t.fmod = &ansiFmod;
        t.hypot = &ansiHypot;
        t.log = &ansiLog;
        t.log10 = &ansiLog10;
        t.pow = &ansiPow;
        t.sin = &ansiSin;
        t.sqrt = &ansiSqrt;
        t.tan = &ansiTan;
        t.sprintf = &hostSprintf;
        t.strcpy = &hostStrcpy;
        t.asin = &ansiAsin;
        t.acos = &ansiAcos;
        return t;
    }();
    return &table;
}

const void* worldSuite() {
    static const PF_WorldSuite2 table = [] {
        PF_WorldSuite2 t;
        fillUnserved<kWorld, std::size(kWorldSuiteSlots)>(t);
        t.PF_GetPixelFormat = &getPixelFormat;
        return t;
    }();
    return &table;
}

} // namespace nebulastra::scenehost
