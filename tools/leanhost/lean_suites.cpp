// The suites the effect acquires, served from the scene: the AEGP utility (registration), PF
// interface, layer, light, stream and memory suites, the PF ANSI suite and the PF world suite.
// Anything else is refused with 'S!Fd'. Arguments are trusted: the strict scene host is where the
// effect's calls are checked.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "leanhost/lean_state.h"
#include "scenefile/host_answers.h"

namespace nebulastra::leanhost {
namespace {

using State = LeanHost::State;

double secondsOf(const A_Time* t) { return t == nullptr ? 0.0 : scenefile::secondsOf(t->value, t->scale); }

// The host's layer behind a handle and the scene layer it stands for (nullptr for the effect's own).
struct LayerRef {
    State* host = nullptr;
    std::int32_t index = -2;
    const scenefile::Layer* layer = nullptr;
};

LayerRef layerRef(AEGP_LayerH handle) {
    LayerRef r;
    r.host = activeHost();
    if (r.host == nullptr) return r;
    r.index = r.host->layerIndex(handle);
    r.layer = r.host->layer(r.index);
    return r;
}

// ---- utility, ANSI, world ---------------------------------------------------------------------

A_Err registerWithAEGP(AEGP_GlobalRefcon, const A_char*, AEGP_PluginID* plugin_id) {
    State* s = activeHost();
    if (s == nullptr || plugin_id == nullptr) return A_Err_PARAMETER;
    *plugin_id = s->pluginId;
    return A_Err_NONE;
}

A_long ansiSprintf(A_char* dest, const A_char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int n = std::vsprintf(dest, format, args);
    va_end(args);
    return n;
}

A_char* ansiStrcpy(A_char* dest, const A_char* src) { return std::strcpy(dest, src); }

PF_Err getPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* pixel_format) {
    State* s = activeHost();
    if (s == nullptr || pixel_format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    const World* known = world == &s->output.def ? &s->output : world == &s->input.def ? &s->input : nullptr;
    if (known == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    *pixel_format = known->bits == 32   ? PF_PixelFormat_ARGB128
                    : known->bits == 16 ? PF_PixelFormat_ARGB64
                                        : PF_PixelFormat_ARGB32;
    return PF_Err_NONE;
}

// ---- the composition --------------------------------------------------------------------------

A_Err getEffectLayer(PF_ProgPtr, AEGP_LayerH* layer) {
    State* s = activeHost();
    if (s == nullptr || layer == nullptr) return A_Err_PARAMETER;
    *layer = s->layerHandle(-1);
    return A_Err_NONE;
}

A_Err convertEffectToCompTime(PF_ProgPtr, A_long what_time, A_u_long time_scale, A_Time* comp_time) {
    if (comp_time == nullptr) return A_Err_PARAMETER;
    *comp_time = A_Time{what_time, time_scale}; // the layer starts with the composition, unstretched
    return A_Err_NONE;
}

A_Err getEffectCameraMatrix(PF_ProgPtr, const A_Time* comp_time, A_Matrix4* camera_matrix,
                            A_FpLong* dist_to_image_plane, A_short* image_plane_width,
                            A_short* image_plane_height) {
    State* s = activeHost();
    if (s == nullptr || camera_matrix == nullptr || dist_to_image_plane == nullptr ||
        image_plane_width == nullptr || image_plane_height == nullptr)
        return A_Err_PARAMETER;
    const std::optional<scenefile::CameraAnswer> camera = scenefile::cameraAt(s->scene, secondsOf(comp_time));
    if (!camera) return A_Err_GENERIC;
    *camera_matrix = scenefile::hostMatrix(camera->matrix);
    *dist_to_image_plane = camera->distance;
    *image_plane_width = camera->planeWidth;
    *image_plane_height = camera->planeHeight;
    return A_Err_NONE;
}

A_Err getLayerParentComp(AEGP_LayerH layer, AEGP_CompH* comp) {
    const LayerRef r = layerRef(layer);
    if (r.host == nullptr || r.index < -1 || comp == nullptr) return A_Err_PARAMETER;
    *comp = reinterpret_cast<AEGP_CompH>(&r.host->scene); // the one composition
    return A_Err_NONE;
}

A_Err getCompNumLayers(AEGP_CompH, A_long* num_layers) {
    State* s = activeHost();
    if (s == nullptr || num_layers == nullptr) return A_Err_PARAMETER;
    *num_layers = static_cast<A_long>(s->scene.layers.size());
    return A_Err_NONE;
}

A_Err getCompLayerByIndex(AEGP_CompH, A_long layer_index, AEGP_LayerH* layer) {
    State* s = activeHost();
    if (s == nullptr || layer == nullptr || s->layer(layer_index) == nullptr) return A_Err_PARAMETER;
    *layer = s->layerHandle(layer_index);
    return A_Err_NONE;
}

A_Err getLayerName(AEGP_PluginID, AEGP_LayerH layer, AEGP_MemHandle* utf_layer_name,
                   AEGP_MemHandle* utf_source_name) {
    const LayerRef r = layerRef(layer);
    if (r.host == nullptr || r.index < -1) return A_Err_PARAMETER;
    std::optional<std::string> name = std::string("Nebulastra layer");
    if (r.layer != nullptr) name = r.layer->name;
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
}

A_Err getLayerObjectType(AEGP_LayerH layer, AEGP_ObjectType* object_type) {
    const LayerRef r = layerRef(layer);
    if (r.host == nullptr || r.index < -1 || object_type == nullptr) return A_Err_PARAMETER;
    *object_type = r.layer != nullptr ? scenefile::objectTypeOf(r.layer->type) : AEGP_ObjectType_AV;
    return A_Err_NONE;
}

A_Err isVideoActive(AEGP_LayerH layer, AEGP_LTimeMode, const A_Time* time, A_Boolean* is_active) {
    const LayerRef r = layerRef(layer);
    if (r.host == nullptr || r.index < -1 || is_active == nullptr) return A_Err_PARAMETER;
    std::optional<bool> active = true;
    if (r.layer != nullptr) active = scenefile::layerIsActive(*r.layer, secondsOf(time));
    if (!active) return A_Err_GENERIC;
    *is_active = *active ? 1 : 0;
    return A_Err_NONE;
}

A_Err getLayerToWorldXform(AEGP_LayerH layer, const A_Time* comp_time, A_Matrix4* transform) {
    const LayerRef r = layerRef(layer);
    if (r.host == nullptr || r.index < -1 || transform == nullptr) return A_Err_PARAMETER;
    if (r.index < 0) {
        *transform = scenefile::translationMatrix(scenefile::Vec3{0.0, 0.0, 0.0});
        return A_Err_NONE;
    }
    const std::optional<scenefile::Vec3> p =
        scenefile::layerWorldPosition(r.host->scene, r.index, secondsOf(comp_time));
    if (!p) return A_Err_GENERIC;
    *transform = scenefile::translationMatrix(*p);
    return A_Err_NONE;
}

A_Err getLightType(AEGP_LayerH light_layer, AEGP_LightType* light_type) {
    const LayerRef r = layerRef(light_layer);
    if (r.layer == nullptr || r.layer->type != scenefile::LayerType::Light || light_type == nullptr)
        return A_Err_PARAMETER;
    if (!r.layer->lightType) return A_Err_GENERIC;
    *light_type = static_cast<AEGP_LightType>(*r.layer->lightType);
    return A_Err_NONE;
}

A_Err getLayerStreamValue(AEGP_LayerH layer, AEGP_LayerStream which_stream, AEGP_LTimeMode,
                          const A_Time* time, A_Boolean, AEGP_StreamVal2* stream_val,
                          AEGP_StreamType* stream_type) {
    const LayerRef r = layerRef(layer);
    if (r.layer == nullptr || r.layer->type != scenefile::LayerType::Light || stream_val == nullptr)
        return A_Err_PARAMETER;
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
}

// ---- memory handles (layer names) -------------------------------------------------------------

NameBlock* nameBlock(AEGP_MemHandle mem) {
    State* s = activeHost();
    if (s == nullptr) return nullptr;
    for (NameBlock& block : s->names)
        if (reinterpret_cast<void*>(mem) == &block.self) return &block;
    return nullptr;
}

A_Err lockMemHandle(AEGP_MemHandle mem, void** ptr_to_ptr) {
    NameBlock* block = nameBlock(mem);
    if (block == nullptr || ptr_to_ptr == nullptr) return A_Err_PARAMETER;
    *ptr_to_ptr = block->text.data(); // NUL-terminated: std::u16string keeps one after its end
    return A_Err_NONE;
}

A_Err unlockMemHandle(AEGP_MemHandle mem) { return nameBlock(mem) != nullptr ? A_Err_NONE : A_Err_PARAMETER; }

A_Err freeMemHandle(AEGP_MemHandle mem) {
    State* s = activeHost();
    if (s == nullptr) return A_Err_PARAMETER;
    for (auto it = s->names.begin(); it != s->names.end(); ++it) {
        if (reinterpret_cast<void*>(mem) == &it->self) {
            s->names.erase(it);
            return A_Err_NONE;
        }
    }
    return A_Err_PARAMETER;
}

// ---- the tables -------------------------------------------------------------------------------

template <typename Table, std::int32_t Err, typename Fill>
const void* table(Fill fill) {
    static const Table t = [&] {
        Table made;
        fillUnserved<Err>(made);
        fill(made);
        return made;
    }();
    return &t;
}

const void* servedSuite(const std::string& name, std::int32_t version) {
    if (name == kAEGPUtilitySuite && version == kAEGPUtilitySuiteVersion6)
        return table<AEGP_UtilitySuite6, A_Err_GENERIC>(
            [](AEGP_UtilitySuite6& t) { t.AEGP_RegisterWithAEGP = &registerWithAEGP; });
    if (name == kPFANSISuite && version == kPFANSISuiteVersion1)
        return table<PF_ANSICallbacksSuite1, PF_Err_INVALID_CALLBACK>([](PF_ANSICallbacksSuite1& t) {
            t.sprintf = &ansiSprintf;
            t.strcpy = &ansiStrcpy;
        });
    if (name == kAEGPPFInterfaceSuite && version == kAEGPPFInterfaceSuiteVersion1)
        return table<AEGP_PFInterfaceSuite1, A_Err_GENERIC>([](AEGP_PFInterfaceSuite1& t) {
            t.AEGP_GetEffectLayer = &getEffectLayer;
            t.AEGP_ConvertEffectToCompTime = &convertEffectToCompTime;
            t.AEGP_GetEffectCameraMatrix = &getEffectCameraMatrix;
        });
    if (name == kAEGPLayerSuite && version == kAEGPLayerSuiteVersion9)
        return table<AEGP_LayerSuite9, A_Err_GENERIC>([](AEGP_LayerSuite9& t) {
            t.AEGP_GetCompNumLayers = &getCompNumLayers;
            t.AEGP_GetCompLayerByIndex = &getCompLayerByIndex;
            t.AEGP_GetLayerParentComp = &getLayerParentComp;
            t.AEGP_GetLayerName = &getLayerName;
            t.AEGP_GetLayerObjectType = &getLayerObjectType;
            t.AEGP_IsVideoActive = &isVideoActive;
            t.AEGP_GetLayerToWorldXform = &getLayerToWorldXform;
        });
    if (name == kAEGPLightSuite && version == kAEGPLightSuiteVersion2)
        return table<AEGP_LightSuite2, A_Err_GENERIC>(
            [](AEGP_LightSuite2& t) { t.AEGP_GetLightType = &getLightType; });
    if (name == kAEGPStreamSuite && version == kAEGPStreamSuiteVersion6)
        return table<AEGP_StreamSuite6, A_Err_GENERIC>(
            [](AEGP_StreamSuite6& t) { t.AEGP_GetLayerStreamValue = &getLayerStreamValue; });
    if (name == kAEGPMemorySuite && version == kAEGPMemorySuiteVersion1)
        return table<AEGP_MemorySuite1, A_Err_GENERIC>([](AEGP_MemorySuite1& t) {
            t.AEGP_FreeMemHandle = &freeMemHandle;
            t.AEGP_LockMemHandle = &lockMemHandle;
            t.AEGP_UnlockMemHandle = &unlockMemHandle;
        });
    if (name == kPFWorldSuite && version == kPFWorldSuiteVersion2)
        return table<PF_WorldSuite2, PF_Err_INVALID_CALLBACK>(
            [](PF_WorldSuite2& t) { t.PF_GetPixelFormat = &getPixelFormat; });
    return nullptr;
}

SPErr acquireSuite(const char* name, int32_t version, const void** suite) {
    if (suite == nullptr) return kSPBadParameterError;
    *suite = name != nullptr ? servedSuite(name, version) : nullptr;
    return *suite != nullptr ? kSPNoError : kSPSuiteNotFoundError;
}

SPErr releaseSuite(const char*, int32_t) { return kSPNoError; }

SPBoolean isEqual(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

} // namespace

SPBasicSuite* basicSuite() {
    static SPBasicSuite t = [] {
        SPBasicSuite made;
        fillUnserved<kSPUnimplementedError>(made);
        made.AcquireSuite = &acquireSuite;
        made.ReleaseSuite = &releaseSuite;
        made.IsEqual = &isEqual;
        return made;
    }();
    return &t;
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

} // namespace nebulastra::leanhost
