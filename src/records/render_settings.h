#pragma once
// The frame's parameter snapshot in render units: percentages as fractions, angles in radians,
// popups as typed modes (records/render_modes.h), sizes in output pixels.
// A flat, pointer-free record built once per frame on the render handler's stack; scene capture
// completes it, and the renderer then takes its own copy into the frame record, beside the frame's
// preparation, before any worker starts. The workers read only that copy.

#include <cstdint>

#include "records/render_modes.h"
#include "records/scene_records.h"

namespace nebulastra {

struct RenderSettings {
    int32_t qualitySteps; // minimum ray-march steps, 16..256
    float density;
    float brightness;
    float cloudSizePx; // cloud size in output pixels at full resolution, at least 1
    float edgeSoftness;
    float sunDirection[3]; // unit vector toward the sun (+y down, so a high sun has negative y)
    float sunIntensity;
    float ambient;
    float phaseAnisotropy; // always 0.45
    float selfShadow;
    float flattenBase;
    float tower;
    float edgeErosion;
    float domainWarp;
    float edgeHardness;
    NoiseShape billowMap;
    float billow;
    float billowSize;
    int32_t billowDetail; // octaves, 1..6
    float billowEvolution;
    int32_t billowSeed;
    float worldEvolution;
    float evolutionSpeed; // radians of evolution per second
    float scale[3];       // each at least 0.02
    float rotation[3];
    float scaleRandom[3];
    float rotationRandom[3];
    float opacityRandom;
    int32_t randomSeed;
    float intensitySizeWeight; // always 1
    float saturation;
    BlendMode overlapBlend;
    bool cloudPrefixOnly;
    TextureType textureType;
    float textureStrength;
    float textureScale;
    float textureContrast;
    float textureEvolution;
    int32_t textureSeed;
    float timeSeconds; // at least 0
    CloudEmitter emitters[kMaxEmitters];
    int32_t emitterCount;
    CameraView camera;
    // The frame the view rays span: the whole layer at the current downsample. A smart render may
    // fill only part of it (the output world's origin places that part); PF_Cmd_RENDER's world is
    // all of it.
    int32_t outputWidth;
    int32_t outputHeight;
    int32_t fullWidth; // outputWidth and outputHeight scaled back to full resolution
    int32_t fullHeight;
};

} // namespace nebulastra
