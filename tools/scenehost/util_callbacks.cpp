// in_data.utils: the ANSI routines the effect uses (sprintf, strcpy) are served; every other
// slot (sampling, blitting, world and handle management, the ANSI maths, the colour callbacks)
// is refused: the call is recorded as a fault and answered with PF_Err_INVALID_CALLBACK (the
// maths with NaN).
#include <cstdarg>
#include <cstring>
#include <limits>
#include <string>

#include "scenehost/host_state.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

constexpr const char* kUtilNames[] = {
    "utils.begin_sampling", "utils.subpixel_sample", "utils.area_sample", "utils.end_sampling",
    "utils.composite_rect", "utils.blend", "utils.convolve", "utils.copy", "utils.fill",
    "utils.gaussian_kernel", "utils.iterate", "utils.premultiply", "utils.premultiply_color",
    "utils.new_world", "utils.dispose_world", "utils.iterate_origin", "utils.iterate_lut",
    "utils.transfer_rect", "utils.transform_world", "utils.host_new_handle", "utils.host_lock_handle",
    "utils.host_unlock_handle", "utils.host_dispose_handle", "utils.get_callback_addr", "utils.app",
    "utils.get_platform_data", "utils.host_get_handle_size", "utils.iterate_origin_non_clip_src",
    "utils.iterate_generic", "utils.host_resize_handle", "utils.subpixel_sample16", "utils.area_sample16",
    "utils.fill16", "utils.premultiply_color16", "utils.iterate16", "utils.iterate_origin16",
    "utils.iterate_origin_non_clip_src16", "utils.get_pixel_data8", "utils.get_pixel_data16",
    // colorCB
    "utils.colorCB.RGBtoHLS", "utils.colorCB.HLStoRGB", "utils.colorCB.RGBtoYIQ", "utils.colorCB.YIQtoRGB",
    "utils.colorCB.Luminance", "utils.colorCB.Hue", "utils.colorCB.Lightness", "utils.colorCB.Saturation",
    // ansi maths
    "utils.ansi.atan", "utils.ansi.atan2", "utils.ansi.ceil", "utils.ansi.cos", "utils.ansi.exp",
    "utils.ansi.fabs", "utils.ansi.floor", "utils.ansi.fmod", "utils.ansi.hypot", "utils.ansi.log",
    "utils.ansi.log10", "utils.ansi.pow", "utils.ansi.sin", "utils.ansi.sqrt", "utils.ansi.tan",
    "utils.ansi.asin", "utils.ansi.acos"};

void refuse(int slot) {
    if (State* s = enterHost(kUtilNames[slot])) {
        s->record(HostCall{kUtilNames[slot], -1, -1, PF_Err_INVALID_CALLBACK, ""});
        s->fault(std::string("refused callback ") + kUtilNames[slot] + " called");
    }
}

template <int Slot>
PF_Err refusedUtil() {
    refuse(Slot);
    return PF_Err_INVALID_CALLBACK;
}

template <int Slot>
A_FpLong refusedMath() {
    refuse(Slot);
    return std::numeric_limits<A_FpLong>::quiet_NaN();
}

template <int Slot>
PF_UnusedCallback util() {
    return functionCast<PF_UnusedCallback>(&refusedUtil<Slot>);
}
template <typename Fn, int Slot>
Fn math() {
    return functionCast<Fn>(&refusedMath<Slot>);
}

} // namespace

A_long hostSprintf(A_char* dest, const A_char* format, ...) {
    State* s = enterHost("sprintf");
    if (dest == nullptr || format == nullptr) {
        if (s != nullptr) s->fault("sprintf without a destination or a format");
        return 0;
    }
    std::va_list args;
    va_start(args, format);
    const std::string text = leanhost::formatText(format, args);
    va_end(args);
    if (s != nullptr) {
        s->record(HostCall{"sprintf", static_cast<std::int32_t>(text.size()), -1, 0, text});
        if (text.size() > static_cast<std::size_t>(PF_MAX_EFFECT_MSG_LEN))
            s->fault("sprintf produced " + std::to_string(text.size()) +
                     " characters, more than return_msg holds");
    }
    return leanhost::copyText(dest, text, PF_MAX_EFFECT_MSG_LEN); // the lean host's sprintf, bounded as it is
}

A_char* hostStrcpy(A_char* dest, const A_char* src) {
    State* s = enterHost("strcpy");
    if (dest == nullptr || src == nullptr) {
        if (s != nullptr) s->fault("strcpy without a destination or a source");
        return dest;
    }
    const std::string text(src);
    if (s != nullptr) {
        s->record(HostCall{"strcpy", static_cast<std::int32_t>(text.size()), -1, 0, text});
        if (text.size() > static_cast<std::size_t>(PF_MAX_EFFECT_PARAM_NAME_LEN))
            s->fault("strcpy of " + std::to_string(text.size()) +
                     " characters, longer than a parameter name");
    }
    return leanhost::ansiSuite().strcpy(dest, src);
}

PF_UtilCallbacks checkedUtilCallbacks() {
    PF_UtilCallbacks t;
    std::memset(&t, 0, sizeof t);
    t.begin_sampling = util<0>();
    t.subpixel_sample = util<1>();
    t.area_sample = util<2>();
    t.end_sampling = util<3>();
    t.composite_rect = util<4>();
    t.blend = util<5>();
    t.convolve = util<6>();
    t.copy = util<7>();
    t.fill = util<8>();
    t.gaussian_kernel = util<9>();
    t.iterate = util<10>();
    t.premultiply = util<11>();
    t.premultiply_color = util<12>();
    t.new_world = util<13>();
    t.dispose_world = util<14>();
    t.iterate_origin = util<15>();
    t.iterate_lut = util<16>();
    t.transfer_rect = util<17>();
    t.transform_world = util<18>();
    t.host_new_handle = util<19>();
    t.host_lock_handle = util<20>();
    t.host_unlock_handle = util<21>();
    t.host_dispose_handle = util<22>();
    t.get_callback_addr = util<23>();
    t.app = util<24>();
    t.get_platform_data = util<25>();
    t.host_get_handle_size = util<26>();
    t.iterate_origin_non_clip_src = util<27>();
    t.iterate_generic = util<28>();
    t.host_resize_handle = util<29>();
    t.subpixel_sample16 = util<30>();
    t.area_sample16 = util<31>();
    t.fill16 = util<32>();
    t.premultiply_color16 = util<33>();
    t.iterate16 = util<34>();
    t.iterate_origin16 = util<35>();
    t.iterate_origin_non_clip_src16 = util<36>();
    t.get_pixel_data8 = util<37>();
    t.get_pixel_data16 = util<38>();
    t.colorCB.RGBtoHLS = util<39>();
    t.colorCB.HLStoRGB = util<40>();
    t.colorCB.RGBtoYIQ = util<41>();
    t.colorCB.YIQtoRGB = util<42>();
    t.colorCB.Luminance = util<43>();
    t.colorCB.Hue = util<44>();
    t.colorCB.Lightness = util<45>();
    t.colorCB.Saturation = util<46>();
    PF_ANSICallbacks& a = t.ansi;
    a.atan = math<decltype(a.atan), 47>();
    a.atan2 = math<decltype(a.atan2), 48>();
    a.ceil = math<decltype(a.ceil), 49>();
    a.cos = math<decltype(a.cos), 50>();
    a.exp = math<decltype(a.exp), 51>();
    a.fabs = math<decltype(a.fabs), 52>();
    a.floor = math<decltype(a.floor), 53>();
    a.fmod = math<decltype(a.fmod), 54>();
    a.hypot = math<decltype(a.hypot), 55>();
    a.log = math<decltype(a.log), 56>();
    a.log10 = math<decltype(a.log10), 57>();
    a.pow = math<decltype(a.pow), 58>();
    a.sin = math<decltype(a.sin), 59>();
    a.sqrt = math<decltype(a.sqrt), 60>();
    a.tan = math<decltype(a.tan), 61>();
    a.asin = math<decltype(a.asin), 62>();
    a.acos = math<decltype(a.acos), 63>();
    a.sprintf = &hostSprintf;
    a.strcpy = &hostStrcpy;
    return t;
}

} // namespace nebulastra::scenehost
