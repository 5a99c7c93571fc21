// The suites the effect acquires, served from the scene: the AEGP utility (registration), PF
// interface, layer, light, stream and memory suites, the PF ANSI suite and the PF world suite.
// Anything else is refused with 'S!Fd'. Each served slot's answer is written where the slot is
// filled. Arguments are trusted: the strict scene host is where the effect's calls are checked.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "leanhost/lean_session.h"
#include "scenefile/host_answers.h"

namespace nebulastra::leanhost {
namespace {

double secondsOf(const A_Time* t) { return t == nullptr ? 0.0 : scenefile::secondsOf(t->value, t->scale); }

// The host's layer behind a handle and the scene layer it stands for (nullptr for the effect's
// own); `host` is null, or `index` below -1, when the handle is not one this host handed out.
struct LayerRef {
    Session* host = nullptr;
    std::int32_t index = -2;
    const scenefile::Layer* layer = nullptr;

    bool known() const { return host != nullptr && index >= -1; }
    bool isLight() const { return layer != nullptr && layer->type == scenefile::LayerType::Light; }
};

LayerRef layerRef(AEGP_LayerH handle) {
    LayerRef r;
    r.host = activeSession();
    if (r.host == nullptr) return r;
    r.index = r.host->layerIndex(handle);
    r.layer = r.host->layer(r.index);
    return r;
}

// A handle handed out and not freed, or nullptr.
NameBlock* liveName(AEGP_MemHandle mem) {
    Session* s = activeSession();
    NameBlock* block = s != nullptr ? s->nameBlock(mem) : nullptr;
    return block != nullptr && !block->freed ? block : nullptr;
}

A_long ansiSprintf(A_char* dest, const A_char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = formatText(format, args);
    va_end(args);
    return copyText(dest, text, PF_MAX_EFFECT_MSG_LEN);
}

A_char* ansiStrcpy(A_char* dest, const A_char* src) {
    copyText(dest, src, PF_MAX_EFFECT_PARAM_NAME_LEN);
    return dest;
}

template <typename Table, std::int32_t Err, typename Fill>
const Table& table(Fill fill) {
    static const Table t = [&] {
        Table made;
        fillUnserved<Err>(made);
        fill(made);
        return made;
    }();
    return t;
}

const void* servedSuite(const std::string& name, std::int32_t version) {
    if (name == kAEGPUtilitySuite && version == kAEGPUtilitySuiteVersion6) return &utilitySuite();
    if (name == kPFANSISuite && version == kPFANSISuiteVersion1) return &ansiSuite();
    if (name == kAEGPPFInterfaceSuite && version == kAEGPPFInterfaceSuiteVersion1) return &pfInterfaceSuite();
    if (name == kAEGPLayerSuite && version == kAEGPLayerSuiteVersion9) return &layerSuite();
    if (name == kAEGPLightSuite && version == kAEGPLightSuiteVersion2) return &lightSuite();
    if (name == kAEGPStreamSuite && version == kAEGPStreamSuiteVersion6) return &streamSuite();
    if (name == kAEGPMemorySuite && version == kAEGPMemorySuiteVersion1) return &memorySuite();
    if (name == kPFWorldSuite && version == kPFWorldSuiteVersion2) return &worldSuite();
    return nullptr;
}

} // namespace

SPBasicSuite* basicSuite() {
    static SPBasicSuite t = [] {
        SPBasicSuite made;
        fillUnserved<kSPUnimplementedError>(made);
        made.AcquireSuite = [](const char* name, int32_t version, const void** suite) -> SPErr {
            if (suite == nullptr) return kSPBadParameterError;
            *suite = name != nullptr ? servedSuite(name, version) : nullptr;
            return *suite != nullptr ? kSPNoError : kSPSuiteNotFoundError;
        };
        made.ReleaseSuite = [](const char*, int32_t) -> SPErr { return kSPNoError; };
        made.IsEqual = [](const char* a, const char* b) -> SPBoolean {
            return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
        };
        return made;
    }();
    return &t;
}

// ---- utility, ANSI, world ---------------------------------------------------------------------

const AEGP_UtilitySuite6& utilitySuite() {
    return table<AEGP_UtilitySuite6, A_Err_GENERIC>([](AEGP_UtilitySuite6& t) {
        t.AEGP_RegisterWithAEGP = [](AEGP_GlobalRefcon, const A_char*, AEGP_PluginID* plugin_id) -> A_Err {
            Session* s = activeSession();
            if (s == nullptr || plugin_id == nullptr) return A_Err_PARAMETER;
            *plugin_id = s->pluginId;
            return A_Err_NONE;
        };
    });
}

const PF_ANSICallbacksSuite1& ansiSuite() {
    return table<PF_ANSICallbacksSuite1, PF_Err_INVALID_CALLBACK>([](PF_ANSICallbacksSuite1& t) {
        t.sprintf = &ansiSprintf;
        t.strcpy = &ansiStrcpy;
    });
}

PF_UtilCallbacks utilCallbacks() {
    // Only the ANSI text routines: the record also holds plain words, so it is not filled as a
    // table.
    PF_UtilCallbacks t;
    std::memset(&t, 0, sizeof t);
    t.ansi.sprintf = &ansiSprintf;
    t.ansi.strcpy = &ansiStrcpy;
    return t;
}

std::string formatText(const char* format, std::va_list args) {
    std::va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    std::string text(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

A_long copyText(A_char* dest, const std::string& text, A_long limit) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(limit));
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
    return static_cast<A_long>(n);
}

const PF_WorldSuite2& worldSuite() {
    return table<PF_WorldSuite2, PF_Err_INVALID_CALLBACK>([](PF_WorldSuite2& t) {
        t.PF_GetPixelFormat = [](const PF_EffectWorld* world, PF_PixelFormat* pixel_format) -> PF_Err {
            Session* s = activeSession();
            if (s == nullptr || pixel_format == nullptr || world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
            const WorldRef* known = world == s->outputWorld.def  ? &s->outputWorld
                                    : world == s->inputWorld.def ? &s->inputWorld
                                                                 : nullptr;
            if (known == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
            *pixel_format = known->bits == 32   ? PF_PixelFormat_ARGB128
                            : known->bits == 16 ? PF_PixelFormat_ARGB64
                                                : PF_PixelFormat_ARGB32;
            return PF_Err_NONE;
        };
    });
}

// ---- the composition --------------------------------------------------------------------------

const AEGP_PFInterfaceSuite1& pfInterfaceSuite() {
    return table<AEGP_PFInterfaceSuite1, A_Err_GENERIC>([](AEGP_PFInterfaceSuite1& t) {
        t.AEGP_GetEffectLayer = [](PF_ProgPtr, AEGP_LayerH* layer) -> A_Err {
            Session* s = activeSession();
            if (s == nullptr || layer == nullptr) return A_Err_PARAMETER;
            *layer = s->layerHandle(-1);
            return A_Err_NONE;
        };
        t.AEGP_ConvertEffectToCompTime = [](PF_ProgPtr, A_long what_time, A_u_long time_scale,
                                            A_Time* comp_time) -> A_Err {
            if (comp_time == nullptr) return A_Err_PARAMETER;
            *comp_time = A_Time{what_time, time_scale}; // the layer starts with the composition, unstretched
            return A_Err_NONE;
        };
        t.AEGP_GetEffectCameraMatrix = [](PF_ProgPtr, const A_Time* comp_time, A_Matrix4* camera_matrix,
                                          A_FpLong* dist_to_image_plane, A_short* image_plane_width,
                                          A_short* image_plane_height) -> A_Err {
            Session* s = activeSession();
            if (s == nullptr || camera_matrix == nullptr || dist_to_image_plane == nullptr ||
                image_plane_width == nullptr || image_plane_height == nullptr)
                return A_Err_PARAMETER;
            const std::optional<scenefile::CameraAnswer> camera =
                scenefile::cameraAt(s->scene, secondsOf(comp_time));
            if (!camera) return A_Err_GENERIC;
            *camera_matrix = scenefile::hostMatrix(camera->matrix);
            *dist_to_image_plane = camera->distance;
            *image_plane_width = camera->planeWidth;
            *image_plane_height = camera->planeHeight;
            return A_Err_NONE;
        };
    });
}

const AEGP_LayerSuite9& layerSuite() {
    return table<AEGP_LayerSuite9, A_Err_GENERIC>([](AEGP_LayerSuite9& t) {
        t.AEGP_GetCompNumLayers = [](AEGP_CompH, A_long* num_layers) -> A_Err {
            Session* s = activeSession();
            if (s == nullptr || num_layers == nullptr) return A_Err_PARAMETER;
            *num_layers = static_cast<A_long>(s->scene.layers.size());
            return A_Err_NONE;
        };
        t.AEGP_GetCompLayerByIndex = [](AEGP_CompH, A_long layer_index, AEGP_LayerH* layer) -> A_Err {
            Session* s = activeSession();
            if (s == nullptr || layer == nullptr || s->layer(layer_index) == nullptr) return A_Err_PARAMETER;
            *layer = s->layerHandle(layer_index);
            return A_Err_NONE;
        };
        t.AEGP_GetLayerParentComp = [](AEGP_LayerH layer, AEGP_CompH* comp) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.known() || comp == nullptr) return A_Err_PARAMETER;
            *comp = r.host->compHandle();
            return A_Err_NONE;
        };
        t.AEGP_GetLayerName = [](AEGP_PluginID, AEGP_LayerH layer, AEGP_MemHandle* utf_layer_name,
                                 AEGP_MemHandle* utf_source_name) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.known()) return A_Err_PARAMETER;
            const std::optional<std::string> name = r.host->layerName(r.index);
            if (!name) return A_Err_GENERIC;
            auto issue = [&](const std::string& text) {
                NameBlock& block = r.host->names.emplace_back();
                block.self = &block;
                block.text = scenefile::utf16Name(text);
                return reinterpret_cast<AEGP_MemHandle>(&block.self);
            };
            if (utf_layer_name != nullptr) *utf_layer_name = issue(*name);
            if (utf_source_name != nullptr) *utf_source_name = issue(std::string());
            return A_Err_NONE;
        };
        t.AEGP_GetLayerObjectType = [](AEGP_LayerH layer, AEGP_ObjectType* object_type) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.known() || object_type == nullptr) return A_Err_PARAMETER;
            *object_type = r.layer != nullptr ? scenefile::objectTypeOf(r.layer->type) : AEGP_ObjectType_AV;
            return A_Err_NONE;
        };
        t.AEGP_IsVideoActive = [](AEGP_LayerH layer, AEGP_LTimeMode, const A_Time* time,
                                  A_Boolean* is_active) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.known() || is_active == nullptr) return A_Err_PARAMETER;
            // Layers start at the composition's start, so layer time and composition time agree.
            std::optional<bool> active = true;
            if (r.layer != nullptr) active = scenefile::layerIsActive(*r.layer, secondsOf(time));
            if (!active) return A_Err_GENERIC;
            *is_active = *active ? 1 : 0;
            return A_Err_NONE;
        };
        t.AEGP_GetLayerToWorldXform = [](AEGP_LayerH layer, const A_Time* comp_time,
                                         A_Matrix4* transform) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.known() || transform == nullptr) return A_Err_PARAMETER;
            const std::optional<scenefile::Vec3> p =
                r.index < 0 ? scenefile::Vec3{0.0, 0.0, 0.0}
                            : scenefile::layerWorldPosition(r.host->scene, r.index, secondsOf(comp_time));
            if (!p) return A_Err_GENERIC;
            *transform = scenefile::translationMatrix(*p);
            return A_Err_NONE;
        };
    });
}

const AEGP_LightSuite2& lightSuite() {
    return table<AEGP_LightSuite2, A_Err_GENERIC>([](AEGP_LightSuite2& t) {
        t.AEGP_GetLightType = [](AEGP_LayerH light_layer, AEGP_LightType* light_type) -> A_Err {
            const LayerRef r = layerRef(light_layer);
            if (!r.isLight() || light_type == nullptr) return A_Err_PARAMETER;
            if (!r.layer->lightType) return A_Err_GENERIC;
            *light_type = static_cast<AEGP_LightType>(*r.layer->lightType);
            return A_Err_NONE;
        };
    });
}

const AEGP_StreamSuite6& streamSuite() {
    return table<AEGP_StreamSuite6, A_Err_GENERIC>([](AEGP_StreamSuite6& t) {
        t.AEGP_GetLayerStreamValue = [](AEGP_LayerH layer, AEGP_LayerStream which_stream, AEGP_LTimeMode,
                                        const A_Time* time, A_Boolean, AEGP_StreamVal2* stream_val,
                                        AEGP_StreamType* stream_type) -> A_Err {
            const LayerRef r = layerRef(layer);
            if (!r.isLight() || stream_val == nullptr) return A_Err_PARAMETER;
            const double t = secondsOf(time);
            std::memset(stream_val, 0, sizeof *stream_val);
            if (which_stream == AEGP_LayerStream_COLOR) {
                const std::optional<scenefile::Vec3> c = scenefile::lightColor(*r.layer, t);
                if (!c) return A_Err_GENERIC;
                stream_val->color = AEGP_ColorVal{1.0, (*c)[0], (*c)[1], (*c)[2]};
                if (stream_type != nullptr) *stream_type = AEGP_StreamType_COLOR;
                return A_Err_NONE;
            }
            std::optional<double> v;
            if (which_stream == AEGP_LayerStream_INTENSITY)
                v = scenefile::lightIntensity(*r.layer, t);
            else if (which_stream == AEGP_LayerStream_SHADOW_DARKNESS)
                v = scenefile::lightShadowDarkness(*r.layer, t);
            else
                return A_Err_PARAMETER;
            if (!v) return A_Err_GENERIC;
            stream_val->one_d = *v;
            if (stream_type != nullptr) *stream_type = AEGP_StreamType_OneD;
            return A_Err_NONE;
        };
    });
}

// ---- memory handles (layer names) -------------------------------------------------------------

const AEGP_MemorySuite1& memorySuite() {
    return table<AEGP_MemorySuite1, A_Err_GENERIC>([](AEGP_MemorySuite1& t) {
        t.AEGP_FreeMemHandle = [](AEGP_MemHandle mem) -> A_Err {
            NameBlock* block = liveName(mem);
            if (block == nullptr) return A_Err_PARAMETER;
            block->freed = true;
            return A_Err_NONE;
        };
        t.AEGP_LockMemHandle = [](AEGP_MemHandle mem, void** ptr_to_ptr) -> A_Err {
            NameBlock* block = liveName(mem);
            if (block == nullptr || ptr_to_ptr == nullptr) return A_Err_PARAMETER;
            ++block->locks;
            *ptr_to_ptr = block->text.data(); // NUL-terminated: std::u16string keeps one after its end
            return A_Err_NONE;
        };
        t.AEGP_UnlockMemHandle = [](AEGP_MemHandle mem) -> A_Err {
            NameBlock* block = liveName(mem);
            if (block == nullptr || block->locks == 0) return A_Err_PARAMETER;
            --block->locks;
            return A_Err_NONE;
        };
    });
}

} // namespace nebulastra::leanhost
