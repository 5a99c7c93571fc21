#pragma once
// The look of the clouds: the fixed numbers of the density field, the march and the colour, one
// home each, grouped by idea. Every one is part of the look: changing one changes every frame ever
// rendered. Values that follow from others are written as the expression they follow from. The
// kernel (render/simd/) and frame preparation read them from here; the noise's own constants are
// in render/noise/.

#include <cstdint>

namespace nebulastra::look {

// ---- reach ---------------------------------------------------------------------------------------

/// How far a cloud can reach from its light, in base radii times its largest scale: the frame's
/// bounding sphere and the density field's reach test both stop there.
constexpr float kCloudReach = 2.6f;
/// The reach squared, rounded once to float (6.7599993): the reach test compares squared lengths.
constexpr float kCloudReachSquared = kCloudReach * kCloudReach;
/// The billows' push on the shape value per unit of normalised billow noise at "Billow" 100 %:
/// one unit moves the surface by the cloud's whole reach.
constexpr float kBillowReach = kCloudReach;
/// The bounding sphere's margin over the farthest cloud's reach.
constexpr float kBoundMargin = 1.1f;

// ---- one emitter's cloud ---------------------------------------------------------------------

/// The smallest base radius, as a fraction of the cloud size, whatever the light's intensity.
constexpr float kMinRadiusFactor = 0.15f;
/// The smallest randomised scale of a cloud on any axis (the "Scale" parameter itself stops at 2 %).
constexpr float kMinRandomisedScale = 0.05f;
/// "Tower" at 100 % stretches the upper half by 1 + this: up to 2.2 radii.
constexpr float kTowerStretch = 1.2f;
/// "Tower" billows grow by this much per radius above the centre.
constexpr float kTowerBillowGain = 0.8f;
/// "Flatten Base" starts this many radii below the centre ...
constexpr float kFlattenStart = 0.18f;
/// ... and is complete 0.44 radii further down (stored as 1 / 0.44).
constexpr float kFlattenInvSpan = 2.2727273f;
/// "Edge Erosion" fades out by the shape value 0.55 (stored as 1 / 0.55) ...
constexpr float kErosionInvReach = 1.8181818f;
/// ... and weighs its noise by this on the shape value.
constexpr float kErosionDepth = 0.9f;
/// "Domain Warp" at 100 % shifts the billow coordinates by this many lattice units per unit of
/// warp noise (centred on 0).
constexpr float kWarpStrength = 2.2f;
/// The detail noise n turns a cloud's density into (n kDetailGain + kDetailBase) times its shape.
constexpr float kDetailGain = 0.65f;
constexpr float kDetailBase = 0.55f;
/// "Edge Hardness" within [kHardnessNeutralLow, kHardnessNeutralHigh] leaves the edge profile
/// alone; toward 100 % its exponent falls by kHardenRate per unit (0.4 at 100 %), toward 0 % it
/// rises by kSoftenRate (2.5 at 0 %).
constexpr float kHardnessNeutralLow = 0.49f;
constexpr float kHardnessNeutralHigh = 0.51f;
constexpr float kHardenRate = 1.2f;
constexpr float kSoftenRate = 3.0f;

// ---- the noises' placement -------------------------------------------------------------------

/// Emitter k's noises sit k times this far along the lattice, so emitters with equal settings
/// still get different billows: (lx f + 17 k, ly f + 11 k, lz f + 23 k).
constexpr float kEmitterStep[3] = {17.0f, 11.0f, 23.0f};

/// One 4-D noise lookup derived from a base coordinate c (per axis) and a base phase w:
/// coordinate (c * scale) + offset, phase (w * phaseScale) + phaseOffset, seed base + seedOffset.
struct Channel {
    uint32_t seedOffset;
    float scale;
    float offset[3];
    float phaseScale;
    float phaseOffset;
};

/// One 3-D lookup per axis of "Domain Warp", at the billow coordinates times kWarpScale plus the
/// offset, seed billow seed + seedOffset.
struct WarpChannel {
    uint32_t seedOffset;
    float offset[3];
};
/// The warp noise's lattice is twice the billows' size.
constexpr float kWarpScale = 0.5f;
constexpr WarpChannel kWarp[3] = {
    {71u, {13.0f, 7.0f, 23.0f}},
    {72u, {41.0f, 29.0f, 5.0f}},
    {73u, {17.0f, 53.0f, 37.0f}},
};

/// "Edge Erosion": at the warped billow coordinates, bx 3.1 + 8 and so on; phase 1.7 w + 3;
/// at most kErosionOctaves octaves.
constexpr Channel kErosion = {311u, 3.1f, {8.0f, 2.0f, 5.0f}, 1.7f, 3.0f};
constexpr int32_t kErosionOctaves = 3;

/// Detail inside the cloud: at the unwarped local coordinates,
/// ((lx f) 2.3 + 17 k) + 19 and so on; phase 1.3 w + 5.
constexpr Channel kDetail = {131u, 2.3f, {19.0f, 4.0f, 11.0f}, 1.3f, 5.0f};

// ---- the world texture -----------------------------------------------------------------------

/// The texture is on where "Strength" is above this (0.1 %): one threshold for density and colour.
constexpr float kTextureMinStrength = 0.001f;
/// The texture's second lookups, from the texture coordinates and phase, by texture type.
constexpr Channel kTextureBillows = {70u, 2.3f, {11.0f, 5.0f, 7.0f}, 1.3f, 3.0f};
constexpr Channel kTextureWisps = {50u, 3.0f, {1.7f, 3.1f, 0.9f}, 1.3f, 5.0f};
/// The "Erosion" texture's grain: one 4-D lookup at this many times the texture coordinates,
/// at the texture's own phase, seed texture seed + kTextureGrainSeed.
constexpr float kTextureGrainScale = 4.0f;
constexpr uint32_t kTextureGrainSeed = 200u;

// ---- the march -------------------------------------------------------------------------------

/// "Self Shadow" above this (0.1 %) sends kShadowSamples samples toward the sun per lit step,
/// kShadowSpacing cloud sizes apart.
constexpr float kMinSelfShadow = 0.001f;
constexpr int kShadowSamples = 6;
constexpr float kShadowSpacing = 0.35f;
/// A ray stops once less than this much light passes.
constexpr float kStopTransmittance = 0.003f;
/// The light gathered per unit of opacity is capped at this.
constexpr float kMaxLightRatio = 4.0f;

} // namespace nebulastra::look
