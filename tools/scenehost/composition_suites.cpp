// The composition as the effect sees it through "AEGP PF Interface Suite" 1, "AEGP Layer Suite"
// 15, "AEGP Light Suite" 2 and "AEGP Stream Suite" 11, answered by the lean host from the scene
// evaluated at the composition time the effect passes. Every query can be made to fail by a test
// (failCall / failStream). Handles are checked: a layer or composition handle the host did not
// hand out is a fault, and so is a light query on a layer that is not a light.
#include <cstring>
#include <string>

#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

// The layer behind a handle: true with its index (-1 = the effect's own layer), or false after
// recording the fault.
bool layerOf(State& s, const char* fn, AEGP_LayerH handle, std::int32_t& index) {
    index = s.layerIndex(handle);
    if (index >= -1) return true;
    index = -1;
    s.fault(std::string(fn) + " called with a layer handle the host did not hand out");
    return false;
}

bool isLight(State& s, std::int32_t index) {
    const Layer* layer = s.layer(index);
    return layer != nullptr && layer->type == LayerType::Light;
}

// ---- AEGP PF Interface Suite ------------------------------------------------------------------

A_Err getEffectLayer(PF_ProgPtr effect_ref, AEGP_LayerH* layer) {
    const char* fn = "AEGP_GetEffectLayer";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (effect_ref != s->effectRefPtr() || layer == nullptr) {
        s->fault("AEGP_GetEffectLayer with a foreign effect_ref or no result pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, kAnyLayer)) {
        if (f->err == 0) *layer = nullptr;
        return answer(*s, fn, -1, -1, f->err);
    }
    return answer(*s, fn, -1, -1, leanhost::pfInterfaceSuite().AEGP_GetEffectLayer(effect_ref, layer));
}

A_Err convertEffectToCompTime(PF_ProgPtr effect_ref, A_long what_time, A_u_long time_scale,
                              A_Time* comp_time) {
    const char* fn = "AEGP_ConvertEffectToCompTime";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (effect_ref != s->effectRefPtr() || comp_time == nullptr) {
        s->fault("AEGP_ConvertEffectToCompTime with a foreign effect_ref or no result pointer");
        return answer(*s, fn, what_time, -1, A_Err_PARAMETER);
    }
    const std::string text = timeText(A_Time{what_time, time_scale});
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, what_time, -1, f->err, text);
    return answer(*s, fn, what_time, -1,
                  leanhost::pfInterfaceSuite().AEGP_ConvertEffectToCompTime(effect_ref, what_time, time_scale,
                                                                            comp_time),
                  text);
}

A_Err getEffectCameraMatrix(PF_ProgPtr effect_ref, const A_Time* comp_time, A_Matrix4* camera_matrix,
                            A_FpLong* dist_to_image_plane, A_short* image_plane_width,
                            A_short* image_plane_height) {
    const char* fn = "AEGP_GetEffectCameraMatrix";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (effect_ref != s->effectRefPtr() || comp_time == nullptr || camera_matrix == nullptr ||
        dist_to_image_plane == nullptr || image_plane_width == nullptr || image_plane_height == nullptr) {
        s->fault("AEGP_GetEffectCameraMatrix with a foreign effect_ref or a missing pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    const std::string text = timeText(*comp_time);
    if (auto f = s->failureFor(fn, kAnyLayer)) return answer(*s, fn, comp_time->value, -1, f->err, text);
    return answer(
        *s, fn, comp_time->value, -1,
        leanhost::pfInterfaceSuite().AEGP_GetEffectCameraMatrix(
            effect_ref, comp_time, camera_matrix, dist_to_image_plane, image_plane_width, image_plane_height),
        text);
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
    return answer(*s, fn, index, -1, leanhost::layerSuite().AEGP_GetLayerParentComp(layer, comp));
}

A_Err getCompNumLayers(AEGP_CompH comp, A_long* num_layers) {
    const char* fn = "AEGP_GetCompNumLayers";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (comp != s->compHandle() || num_layers == nullptr) {
        s->fault("AEGP_GetCompNumLayers with a composition handle the host did not hand out");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    if (auto f = s->failureFor(fn, kAnyLayer)) {
        if (f->err == 0) *num_layers = 0;
        return answer(*s, fn, -1, -1, f->err);
    }
    const A_Err err = leanhost::layerSuite().AEGP_GetCompNumLayers(comp, num_layers);
    return answer(*s, fn, *num_layers, -1, err);
}

A_Err getCompLayerByIndex(AEGP_CompH comp, A_long layer_index, AEGP_LayerH* layer) {
    const char* fn = "AEGP_GetCompLayerByIndex";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    if (comp != s->compHandle() || layer == nullptr) {
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
    return answer(*s, fn, layer_index, -1,
                  leanhost::layerSuite().AEGP_GetCompLayerByIndex(comp, layer_index, layer));
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
    const std::optional<Failure> f = s->failureFor(fn, index);
    if (f && f->err != 0) return answer(*s, fn, index, -1, f->err);
    // An injected success without a result hands out no layer name.
    AEGP_MemHandle* layerName = f ? nullptr : utf_layer_name;
    const A_Err err = leanhost::layerSuite().AEGP_GetLayerName(pluginID, layer, layerName, utf_source_name);
    if (err != A_Err_NONE) return answer(*s, fn, index, -1, err);
    if (layerName == nullptr && utf_layer_name != nullptr) *utf_layer_name = nullptr;
    s->memory.issued += (layerName != nullptr ? 1 : 0) + (utf_source_name != nullptr ? 1 : 0);
    return answer(*s, fn, index, -1, err, s->layerName(index).value_or(""));
}

A_Err getLayerObjectType(AEGP_LayerH layer, AEGP_ObjectType* object_type) {
    const char* fn = "AEGP_GetLayerObjectType";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    std::int32_t index = -1;
    if (!layerOf(*s, fn, layer, index) || object_type == nullptr)
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (auto f = s->failureFor(fn, index)) return answer(*s, fn, index, -1, f->err);
    return answer(*s, fn, index, -1, leanhost::layerSuite().AEGP_GetLayerObjectType(layer, object_type));
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
    return answer(*s, fn, index, -1,
                  leanhost::layerSuite().AEGP_IsVideoActive(layer, time_mode, time, is_active), text);
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
    return answer(*s, fn, index, -1,
                  leanhost::layerSuite().AEGP_GetLayerToWorldXform(layer, comp_time, transform), text);
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
    return answer(*s, fn, index, -1, leanhost::lightSuite().AEGP_GetLightType(light_layer, light_type));
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
    if (which_stream != AEGP_LayerStream_COLOR && which_stream != AEGP_LayerStream_INTENSITY &&
        which_stream != AEGP_LayerStream_SHADOW_DARKNESS) {
        s->fault("AEGP_GetLayerStreamValue of stream " + std::to_string(which_stream) +
                 ", which the effect has no use for");
        return answer(*s, fn, which_stream, index, A_Err_PARAMETER, text);
    }
    return answer(*s, fn, which_stream, index,
                  leanhost::streamSuite().AEGP_GetLayerStreamValue(layer, which_stream, time_mode, time,
                                                                   pre_expression, stream_val, stream_type),
                  text);
}

} // namespace

const void* checkedPfInterfaceSuite() {
    static const AEGP_PFInterfaceSuite1 table = [] {
        AEGP_PFInterfaceSuite1 t;
        fillRefused<kPFInterface, std::size(kPFInterfaceSuiteSlots)>(t);
        t.AEGP_GetEffectLayer = &getEffectLayer;
        t.AEGP_ConvertEffectToCompTime = &convertEffectToCompTime;
        t.AEGP_GetEffectCameraMatrix = &getEffectCameraMatrix;
        return t;
    }();
    return &table;
}

const void* checkedLayerSuite() {
    static const AEGP_LayerSuite9 table = [] {
        AEGP_LayerSuite9 t;
        fillRefused<kLayer, std::size(kLayerSuiteSlots)>(t);
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

const void* checkedLightSuite() {
    static const AEGP_LightSuite2 table = [] {
        AEGP_LightSuite2 t;
        fillRefused<kLight, std::size(kLightSuiteSlots)>(t);
        t.AEGP_GetLightType = &getLightType;
        return t;
    }();
    return &table;
}

const void* checkedStreamSuite() {
    static const AEGP_StreamSuite6 table = [] {
        AEGP_StreamSuite6 t;
        fillRefused<kStream, std::size(kStreamSuiteSlots)>(t);
        t.AEGP_GetLayerStreamValue = &getLayerStreamValue;
        return t;
    }();
    return &table;
}

} // namespace nebulastra::scenehost
