#include "scene/capture_scene.h"

#include "host/host_suites.h"
#include "hostio/host_units.h"
#include "hostio/suite_cache.h"
#include "scene/capture_camera.h"
#include "scene/light_name.h"

namespace nebulastra {
namespace {

// Light property values are read after expressions, in composition time.
constexpr A_Boolean kAfterExpressions = 0;

// One plain-valued property of a light at compTime; false when the host cannot give it.
bool readLightStream(const AEGP_StreamSuite6* streams, AEGP_LayerH layer, AEGP_LayerStream which,
                     const A_Time& compTime, AEGP_StreamVal2& value) {
    value = AEGP_StreamVal2{};
    AEGP_StreamType type = AEGP_StreamType_NO_DATA;
    return streams->AEGP_GetLayerStreamValue(layer, which, AEGP_LTimeMode_CompTime, &compTime,
                                             kAfterExpressions, &value, &type) == A_Err_NONE;
}

// Reads the light of one layer into emitter when it qualifies. The queries run in a fixed order
// (type, activity, light type, transform, colour, intensity, name, shadow darkness), so which
// host calls a frame makes is the same on every run.
bool captureLight(SuiteCache& suites, AEGP_LayerH layer, const A_Time& compTime, bool cloudPrefixOnly,
                  CloudEmitter& emitter) {
    const AEGP_LayerSuite9* layers = suites.layerSuite();

    AEGP_ObjectType objectType = AEGP_ObjectType_NONE;
    if (layers->AEGP_GetLayerObjectType(layer, &objectType) != A_Err_NONE ||
        objectType != AEGP_ObjectType_LIGHT) {
        return false;
    }

    // A host that cannot say counts as active: the error code is deliberately not consulted.
    A_Boolean active = 1;
    layers->AEGP_IsVideoActive(layer, AEGP_LTimeMode_CompTime, &compTime, &active);
    if (!active) {
        return false;
    }

    // Likewise unconsulted: a light whose type stays unknown is treated as a point-like light.
    AEGP_LightType lightType = AEGP_LightType_NONE;
    suites.lightSuite()->AEGP_GetLightType(layer, &lightType);

    A_Matrix4 toWorld{};
    if (layers->AEGP_GetLayerToWorldXform(layer, &compTime, &toWorld) != A_Err_NONE) {
        return false;
    }

    const AEGP_StreamSuite6* streams = suites.streamSuite();
    AEGP_StreamVal2 value;

    float color[3] = {1.0f, 1.0f, 1.0f};
    if (readLightStream(streams, layer, AEGP_LayerStream_COLOR, compTime, value)) {
        color[0] = static_cast<float>(value.color.redF);
        color[1] = static_cast<float>(value.color.greenF);
        color[2] = static_cast<float>(value.color.blueF);
    }

    float intensity = 1.0f;
    if (readLightStream(streams, layer, AEGP_LayerStream_INTENSITY, compTime, value)) {
        intensity = percentToFraction(value.one_d);
    }
    if (!(intensity > 0.0f)) { // negative and NaN alike
        intensity = 0.0f;
    }

    if (cloudPrefixOnly && !lightNameMatches(suites, layer)) {
        return false;
    }
    if (lightType == AEGP_LightType_AMBIENT || lightType == AEGP_LightType_ENVIRONMENT) {
        return false; // no position to centre a cloud on
    }

    emitter.position[0] = static_cast<float>(toWorld.mat[3][0]);
    emitter.position[1] = static_cast<float>(toWorld.mat[3][1]);
    emitter.position[2] = static_cast<float>(toWorld.mat[3][2]);
    emitter.color[0] = color[0];
    emitter.color[1] = color[1];
    emitter.color[2] = color[2];
    emitter.intensity = intensity;

    float shadowDarkness = 1.0f;
    if (readLightStream(streams, layer, AEGP_LayerStream_SHADOW_DARKNESS, compTime, value)) {
        shadowDarkness = percentToFraction(value.one_d);
        if (!(shadowDarkness >= 0.0f)) { // negative and NaN alike
            shadowDarkness = 0.0f;
        } else if (shadowDarkness > 1.0f) {
            shadowDarkness = 1.0f;
        }
    }
    emitter.shadowDarkness = shadowDarkness;
    return true;
}

void captureComposition(const PF_InData* in_data, const A_Time& effectTime, RenderSettings& settings) {
    SuiteCache suites(in_data->pica_basicP);
    const AEGP_PFInterfaceSuite1* pfInterface = suites.pfInterfaceSuite();
    const PF_ProgPtr effectRef = in_data->effect_ref;

    A_Time compTime = effectTime;
    A_Time converted{};
    if (pfInterface->AEGP_ConvertEffectToCompTime(effectRef, effectTime.value, effectTime.scale,
                                                  &converted) == A_Err_NONE) {
        compTime = converted;
    }

    captureCamera(suites, effectRef, compTime, settings);

    AEGP_LayerH effectLayer = nullptr;
    if (pfInterface->AEGP_GetEffectLayer(effectRef, &effectLayer) != A_Err_NONE || !effectLayer) {
        return;
    }
    const AEGP_LayerSuite9* layers = suites.layerSuite();
    AEGP_CompH comp = nullptr;
    if (layers->AEGP_GetLayerParentComp(effectLayer, &comp) != A_Err_NONE || !comp) {
        return;
    }
    // The count's error code is not consulted: a failing call leaves it at 0, an empty walk.
    A_long layerCount = 0;
    layers->AEGP_GetCompNumLayers(comp, &layerCount);

    // Top layer first, so emitter k is the k-th qualifying light from the top; the walk stops at
    // the kMaxEmitters-th light without asking about the layers below it.
    for (A_long i = 0; i < layerCount && settings.emitterCount < kMaxEmitters; ++i) {
        AEGP_LayerH layer = nullptr;
        if (layers->AEGP_GetCompLayerByIndex(comp, i, &layer) != A_Err_NONE || !layer) {
            continue;
        }
        CloudEmitter emitter{};
        if (captureLight(suites, layer, compTime, settings.cloudPrefixOnly, emitter)) {
            settings.emitters[settings.emitterCount] = emitter;
            ++settings.emitterCount;
        }
    }
}

} // namespace

void captureScene(const PF_InData* in_data, RenderSettings& settings) {
    captureSceneAt(in_data, A_Time{in_data->current_time, in_data->time_scale}, settings);
}

void captureSceneAt(const PF_InData* in_data, const A_Time& effectTime, RenderSettings& settings) {
    settings.emitterCount = 0;
    settings.camera.valid = false;
    if (in_data->appl_id == PF_APPL_ID_PREMIERE) {
        return; // Premiere Pro has no AEGP composition to read
    }
    try {
        captureComposition(in_data, effectTime, settings);
    } catch (const HostError&) {
        // A refused host suite ends the capture; the frame then renders without clouds and with
        // the camera-less view rather than failing. Anything else (an exhausted heap) is not the
        // host saying no and reaches the host as an error.
        settings.emitterCount = 0;
        settings.camera.valid = false;
    }
}

} // namespace nebulastra
