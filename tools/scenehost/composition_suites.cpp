// The composition as the effect sees it through "AEGP PF Interface Suite" 1, "AEGP Layer Suite"
// 15, "AEGP Light Suite" 2 and "AEGP Stream Suite" 11. Every answer comes from the host's scene
// evaluated at the composition time the effect passes (scene_eval.h); every query can be made to
// fail by a test (failCall / failStream), and a null in the scene makes the matching query fail
// as well. Handles are checked: a layer or composition handle the host did not hand out is a
// fault, and so is a light query on a layer that is not a light.
#include <cstring>
#include <string>

#include "scenefile/host_answers.h"
#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

// The layer behind a handle: true with its index (-1 = the effect's own layer), or false after
// recording the fault.
bool layerOf(State& s, const char* fn, AEGP_LayerH handle, std::int32_t& index) {
    if (s.layerIndexOf(handle, index)) return true;
    s.fault(std::string(fn) + " called with a layer handle the host did not hand out");
    return false;
}

const Layer* sceneLayer(State& s, std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(s.scene.layers.size())) return nullptr;
    return &s.scene.layers[static_cast<std::size_t>(index)];
}

bool isLight(State& s, std::int32_t index) {
    const Layer* layer = sceneLayer(s, index);
    return layer != nullptr && layer->type == LayerType::Light;
}

// ---- AEGP PF Interface Suite ------------------------------------------------------------------

A_Err getEffectLayer(PF_ProgPtr effect_ref, AEGP_LayerH* layer) {
    const char* fn = "AEGP_GetEffectLayer";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (!s->isEffectRef(effect_ref) || layer == nullptr) {
        s->fault("AEGP_GetEffectLayer with a foreign effect_ref or no result pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, kAnyLayer)) {
        if (f->err == 0) *layer = nullptr;
        return answer(*s, fn, -1, -1, f->err);
    }
    *layer = s->layerHandle(-1);
    return answer(*s, fn, -1, -1, A_Err_NONE);
}

A_Err convertEffectToCompTime(PF_ProgPtr effect_ref, A_long what_time, A_u_long time_scale,
                              A_Time* comp_time) {
    const char* fn = "AEGP_ConvertEffectToCompTime";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (!s->isEffectRef(effect_ref) || comp_time == nullptr) {
        s->fault("AEGP_ConvertEffectToCompTime with a foreign effect_ref or no result pointer");
        return answer(*s, fn, what_time, -1, A_Err_PARAMETER);
    }
    const std::string text = timeText(A_Time{what_time, time_scale});
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, what_time, -1, f->err, text);
    // The effect's layer starts at the composition's start and is not stretched: its time is
    // composition time.
    *comp_time = A_Time{what_time, time_scale};
    return answer(*s, fn, what_time, -1, A_Err_NONE, text);
}

A_Err getEffectCameraMatrix(PF_ProgPtr effect_ref, const A_Time* comp_time, A_Matrix4* camera_matrix,
                            A_FpLong* dist_to_image_plane, A_short* image_plane_width,
                            A_short* image_plane_height) {
    const char* fn = "AEGP_GetEffectCameraMatrix";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (!s->isEffectRef(effect_ref) || comp_time == nullptr || camera_matrix == nullptr ||
        dist_to_image_plane == nullptr || image_plane_width == nullptr || image_plane_height == nullptr) {
        s->fault("AEGP_GetEffectCameraMatrix with a foreign effect_ref or a missing pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    const std::string text = timeText(*comp_time);
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, comp_time->value, -1, f->err, text);
    const std::optional<CameraAnswer> camera = cameraAt(s->scene, secondsOf(*comp_time));
    if (!camera) return answer(*s, fn, comp_time->value, -1, A_Err_GENERIC, text);
    *camera_matrix = hostMatrix(camera->matrix);
    *dist_to_image_plane = camera->distance;
    *image_plane_width = camera->planeWidth;
    *image_plane_height = camera->planeHeight;
    return answer(*s, fn, comp_time->value, -1, A_Err_NONE, text);
}

// ---- AEGP Layer Suite -------------------------------------------------------------------------

A_Err getLayerParentComp(AEGP_LayerH layer, AEGP_CompH* comp) {
    const char* fn = "AEGP_GetLayerParentComp";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || comp == nullptr) return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (auto f = s->failureFor(fn, index)) {
        if (f->err == 0) *comp = nullptr;
        return answer(*s, fn, index, -1, f->err);
    }
    *comp = s->compHandle();
    return answer(*s, fn, index, -1, A_Err_NONE);
}

A_Err getCompNumLayers(AEGP_CompH comp, A_long* num_layers) {
    const char* fn = "AEGP_GetCompNumLayers";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (!s->isComp(comp) || num_layers == nullptr) {
        s->fault("AEGP_GetCompNumLayers with a composition handle the host did not hand out");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, kAnyLayer)) {
        if (f->err == 0) *num_layers = 0;
        return answer(*s, fn, -1, -1, f->err);
    }
    *num_layers = static_cast<A_long>(s->scene.layers.size());
    return answer(*s, fn, *num_layers, -1, A_Err_NONE);
}

A_Err getCompLayerByIndex(AEGP_CompH comp, A_long layer_index, AEGP_LayerH* layer) {
    const char* fn = "AEGP_GetCompLayerByIndex";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (!s->isComp(comp) || layer == nullptr) {
        s->fault("AEGP_GetCompLayerByIndex with a composition handle the host did not hand out");
        return answer(*s, fn, layer_index, -1, A_Err_PARAMETER);
    }
    if (layer_index < 0 || layer_index >= static_cast<A_long>(s->scene.layers.size())) {
        s->fault("AEGP_GetCompLayerByIndex of index " + std::to_string(layer_index) +
                 ", outside the composition");
        return answer(*s, fn, layer_index, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, layer_index)) {
        if (f->err == 0) *layer = nullptr;
        return answer(*s, fn, layer_index, -1, f->err);
    }
    *layer = s->layerHandle(layer_index);
    return answer(*s, fn, layer_index, -1, A_Err_NONE);
}

A_Err getLayerName(AEGP_PluginID pluginID, AEGP_LayerH layer, AEGP_MemHandle* utf_layer_name,
                   AEGP_MemHandle* utf_source_name) {
    const char* fn = "AEGP_GetLayerName";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index)) return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (pluginID != s->pluginId) {
        s->fault("AEGP_GetLayerName with plug-in ID " + std::to_string(pluginID) +
                 ", not the one the host handed out");
        return answer(*s, fn, index, -1, A_Err_PARAMETER);
    }
    std::optional<std::string> name = std::string("Nebulastra layer");
    if (const Layer* l = sceneLayer(*s, index)) name = l->name;
    std::optional<Failure> f = s->failureFor(fn, index);
    if (f && f->err != 0) return answer(*s, fn, index, -1, f->err);
    if (!name) return answer(*s, fn, index, -1, A_Err_GENERIC);
    if (utf_layer_name != nullptr) *utf_layer_name = f ? nullptr : s->newMemHandle(*name);
    if (utf_source_name != nullptr) *utf_source_name = s->newMemHandle(std::string());
    return answer(*s, fn, index, -1, A_Err_NONE, *name);
}

A_Err getLayerObjectType(AEGP_LayerH layer, AEGP_ObjectType* object_type) {
    const char* fn = "AEGP_GetLayerObjectType";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || object_type == nullptr)
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (auto f = s->failureFor(fn, index)) return answer(*s, fn, index, -1, f->err);
    const Layer* l = sceneLayer(*s, index);
    *object_type = l != nullptr ? objectTypeOf(l->type) : AEGP_ObjectType_AV;
    return answer(*s, fn, index, -1, A_Err_NONE);
}

A_Err isVideoActive(AEGP_LayerH layer, AEGP_LTimeMode time_mode, const A_Time* time, A_Boolean* is_active) {
    const char* fn = "AEGP_IsVideoActive";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || time == nullptr || is_active == nullptr)
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    const std::string text = timeText(*time) + " mode=" + std::to_string(time_mode);
    if (auto f = s->failureFor(fn, index)) return answer(*s, fn, index, -1, f->err, text);
    std::optional<bool> active = true;
    // Layers start at the composition's start, so layer time and composition time agree.
    if (const Layer* l = sceneLayer(*s, index)) active = layerIsActive(*l, secondsOf(*time));
    if (!active) return answer(*s, fn, index, -1, A_Err_GENERIC, text);
    *is_active = *active ? 1 : 0;
    return answer(*s, fn, index, -1, A_Err_NONE, text);
}

A_Err getLayerToWorldXform(AEGP_LayerH layer, const A_Time* comp_time, A_Matrix4* transform) {
    const char* fn = "AEGP_GetLayerToWorldXform";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || comp_time == nullptr || transform == nullptr)
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    const std::string text = timeText(*comp_time);
    if (auto f = s->failureFor(fn, index)) return answer(*s, fn, index, -1, f->err, text);
    if (index < 0) {
        *transform = translationMatrix(Vec3{0.0, 0.0, 0.0});
        return answer(*s, fn, index, -1, A_Err_NONE, text);
    }
    const std::optional<Vec3> p = layerWorldPosition(s->scene, index, secondsOf(*comp_time));
    if (!p) return answer(*s, fn, index, -1, A_Err_GENERIC, text);
    *transform = translationMatrix(*p);
    return answer(*s, fn, index, -1, A_Err_NONE, text);
}

// ---- AEGP Light Suite -------------------------------------------------------------------------

A_Err getLightType(AEGP_LayerH light_layer, AEGP_LightType* light_type) {
    const char* fn = "AEGP_GetLightType";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, light_layer, index) || light_type == nullptr)
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (!isLight(*s, index)) {
        s->fault("AEGP_GetLightType of layer " + std::to_string(index) + ", which is not a light");
        return answer(*s, fn, index, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, index)) return answer(*s, fn, index, -1, f->err);
    const std::optional<LightType> type = sceneLayer(*s, index)->lightType;
    if (!type) return answer(*s, fn, index, -1, A_Err_GENERIC);
    *light_type = static_cast<AEGP_LightType>(*type);
    return answer(*s, fn, index, -1, A_Err_NONE);
}

// ---- AEGP Stream Suite ------------------------------------------------------------------------

A_Err getLayerStreamValue(AEGP_LayerH layer, AEGP_LayerStream which_stream, AEGP_LTimeMode time_mode,
                          const A_Time* time, A_Boolean pre_expression, AEGP_StreamVal2* stream_val,
                          AEGP_StreamType* stream_type) {
    const char* fn = "AEGP_GetLayerStreamValue";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || time == nullptr || stream_val == nullptr)
        return answer(*s, fn, which_stream, -1, A_Err_PARAMETER);
    const std::string text =
        timeText(*time) + " mode=" + std::to_string(time_mode) + " pre=" + std::to_string(pre_expression);
    if (auto f = s->failureFor(fn, index, which_stream))
        return answer(*s, fn, which_stream, index, f->err, text);
    if (!isLight(*s, index)) {
        s->fault("AEGP_GetLayerStreamValue of a light property of layer " + std::to_string(index) +
                 ", which is not a light");
        return answer(*s, fn, which_stream, index, A_Err_PARAMETER, text);
    }
    const Layer& l = *sceneLayer(*s, index);
    const double t = secondsOf(*time);
    std::memset(stream_val, 0, sizeof *stream_val);
    if (which_stream == AEGP_LayerStream_COLOR) {
        const std::optional<Vec3> c = lightColor(l, t);
        if (!c) return answer(*s, fn, which_stream, index, A_Err_GENERIC, text);
        stream_val->color = AEGP_ColorVal{1.0, (*c)[0], (*c)[1], (*c)[2]};
        if (stream_type != nullptr) *stream_type = AEGP_StreamType_COLOR;
    } else if (which_stream == AEGP_LayerStream_INTENSITY ||
               which_stream == AEGP_LayerStream_SHADOW_DARKNESS) {
        const std::optional<double> v =
            which_stream == AEGP_LayerStream_INTENSITY ? lightIntensity(l, t) : lightShadowDarkness(l, t);
        if (!v) return answer(*s, fn, which_stream, index, A_Err_GENERIC, text);
        stream_val->one_d = *v;
        if (stream_type != nullptr) *stream_type = AEGP_StreamType_OneD;
    } else {
        s->fault("AEGP_GetLayerStreamValue of stream " + std::to_string(which_stream) +
                 ", which the effect has no use for");
        return answer(*s, fn, which_stream, index, A_Err_PARAMETER, text);
    }
    return answer(*s, fn, which_stream, index, A_Err_NONE, text);
}

} // namespace

const void* pfInterfaceSuite() {
    static const AEGP_PFInterfaceSuite1 table = [] {
        AEGP_PFInterfaceSuite1 t;
        fillUnserved<kPFInterface, std::size(kPFInterfaceSuiteSlots)>(t);
        t.AEGP_GetEffectLayer = &getEffectLayer;
        t.AEGP_ConvertEffectToCompTime = &convertEffectToCompTime;
        t.AEGP_GetEffectCameraMatrix = &getEffectCameraMatrix;
        return t;
    }();
    return &table;
}

const void* layerSuite() {
    static const AEGP_LayerSuite9 table = [] {
        AEGP_LayerSuite9 t;
        fillUnserved<kLayer, std::size(kLayerSuiteSlots)>(t);
        t.AEGP_GetCompNumLayers = &getCompNumLayers;
        t.AEGP_GetCompLayerByIndex = &getCompLayerByIndex;
        t.AEGP_GetLayerParentComp = &getLayerParentComp;
        t.AEGP_GetLayerName = &getLayerName;
        t.AEGP_GetLayerObjectType = &getLayerObjectType;
        t.AEGP_IsVideoActive = &isVideoActive;
        t.AEGP_GetLayerToWorldXform = &getLayerToWorldXform;
        return t;
    }();
    return &table;
}

const void* lightSuite() {
    static const AEGP_LightSuite2 table = [] {
        AEGP_LightSuite2 t;
        fillUnserved<kLight, std::size(kLightSuiteSlots)>(t);
        t.AEGP_GetLightType = &getLightType;
        return t;
    }();
    return &table;
}

const void* streamSuite() {
    static const AEGP_StreamSuite6 table = [] {
        AEGP_StreamSuite6 t;
        fillUnserved<kStream, std::size(kStreamSuiteSlots)>(t);
        t.AEGP_GetLayerStreamValue = &getLayerStreamValue;
        return t;
    }();
    return &table;
}

// ---- memory handles (the layer names) ---------------------------------------------------------

AEGP_MemHandle SceneHost::State::newMemHandle(const std::string& utf8) {
    memBlocks.emplace_back();
    MemBlock& block = memBlocks.back();
    block.self = &block;
    const std::u16string text = utf16Name(utf8);
    block.text.assign(text.begin(), text.end());
    block.text.push_back(0);
    ++memory.issued;
    return reinterpret_cast<AEGP_MemHandle>(&block.self);
}

MemBlock* SceneHost::State::memBlock(AEGP_MemHandle handle) {
    for (MemBlock& block : memBlocks)
        if (reinterpret_cast<void*>(handle) == &block.self) return &block;
    return nullptr;
}

} // namespace nebulastra::scenehost
