// The clouds' density over lanes: every emitter's shape turned into a density through the edge
// profile and the detail noise, summed, and modulated by the world-space texture; and the cheaper
// density of the shadow rays. Included by packet_kernel.inl inside its instruction-set namespace,
// after shape_lanes.inl.

/// pow for the lanes of `mask` through the scalar maths function; other lanes keep x.
static VF powLanes(VF x, float y, VM mask) {
    VF out = x;
    for (int l = 0; l < kLanes; ++l) {
        if (mask[l]) out[l] = fmath::pow(x[l], y);
    }
    return out;
}

NEBULASTRA_LANE VF edgeProfileLanes(VF s, const CloudField& field, VM mask) {
    const float edgeWidth = field.prepared.edgeWidth;
    VF q = splat(1.0f);
    if (edgeWidth > 0.0f) q = smoothstepLanes(clampLanes(s / edgeWidth, 0.0f, 1.0f));
    const float hardness = field.settings.edgeHardness;
    if (hardness < kHardnessNeutralLow || hardness > kHardnessNeutralHigh) {
        // Below 1 (harder) toward 100 %, above 1 (softer) toward 0 %.
        const float exponent = hardness >= 0.5f ? 1.0f - (hardness - 0.5f) * kHardenRate
                                                : 1.0f + (0.5f - hardness) * kSoftenRate;
        q = powLanes(q, exponent, mask);
    }
    return q;
}

/// The texture value for the lanes of `live`; other lanes return unspecified values.
static VF textureLanes(const CloudField& field, const VF p[3], VM live) {
    const float frequency = field.prepared.textureFrequency;
    const VF tx = p[0] * frequency;
    const VF ty = p[1] * frequency;
    const VF tz = p[2] * frequency;
    const float w = field.prepared.texturePhase; // one for every lane
    const int32_t octaves = field.settings.billowDetail;
    const int32_t seed = field.settings.textureSeed;

    const VF main = fbmLanes(tx, ty, tz, w, octaves, seed, live);
    const VF ridge = absLanes(2.0f * main - 1.0f);
    switch (field.settings.textureType) {
    case TextureType::Billows: {
        const Channel& c = kTextureBillows;
        const VF second =
            fbmLanes(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                     w * c.phaseScale + c.phaseOffset, octaves, offsetSeedScalar(seed, c.seedOffset), live);
        return clampLanes(1.0f - (0.6f * ridge + 0.4f * absLanes(2.0f * second - 1.0f)), 0.0f, 1.0f);
    }
    case TextureType::Erosion: {
        const VF a = clampLanes((ridge - 0.35f) * 2.3255816f, 0.0f, 1.0f);
        const VF grain =
            gradientNoise4Lanes(tx * kTextureGrainScale, ty * kTextureGrainScale, tz * kTextureGrainScale, w,
                                offsetSeedScalar(seed, kTextureGrainSeed), live);
        const VF a2 = a * a;
        const VF value = 0.25f * grain - (0.75f - 0.5f * a) * a2 * grain + 0.75f - (2.25f - 1.5f * a) * a2;
        return clampLanes(value, 0.0f, 1.0f);
    }
    case TextureType::Wisps:
    default: {
        const Channel& c = kTextureWisps;
        const VF second =
            fbmLanes(tx * c.scale + c.offset[0], ty * c.scale + c.offset[1], tz * c.scale + c.offset[2],
                     w * c.phaseScale + c.phaseOffset, octaves, offsetSeedScalar(seed, c.seedOffset), live);
        const VF v = (1.0f - ridge) * 0.7f + (1.0f - absLanes(2.0f * second - 1.0f)) * 0.3f;
        return clampLanes(v * v, 0.0f, 1.0f);
    }
    }
}

/// CloudField::density for the lanes of `active`.
static VF densityLanes(const CloudField& field, const VF p[3], VM active, VF shares[kMaxEmitters]) {
    const RenderSettings& settings = field.settings;
    const PreparedFrame& prepared = field.prepared;
    VF total = splat(0.0f);
    const float f = prepared.billowFrequency;
    const int32_t detailSeed = offsetSeedScalar(settings.billowSeed, kDetail.seedOffset);
    const float detailPhase = prepared.billowPhase * kDetail.phaseScale + kDetail.phaseOffset;
    for (int32_t k = 0; k < settings.emitterCount; ++k) {
        shares[k] = splat(0.0f);
        const ShapeLanes shape = emitterShapeLanes(p, k, field, true, active);
        if (!any(shape.live)) continue;
        const VM inside = shape.live & (shape.s > 0.0f);
        if (!any(inside)) continue;
        const VF q = edgeProfileLanes(shape.s, field, inside);
        const float kf = static_cast<float>(k);
        const VF detail = fbmLanes(shape.lx * f * kDetail.scale + kEmitterStep[0] * kf + kDetail.offset[0],
                                   shape.ly * f * kDetail.scale + kEmitterStep[1] * kf + kDetail.offset[1],
                                   shape.lz * f * kDetail.scale + kEmitterStep[2] * kf + kDetail.offset[2],
                                   detailPhase, settings.billowDetail, detailSeed, inside);
        const float densityScale =
            settings.cloudSizePx / prepared.emitterRadius[k]; // larger clouds are thinner
        const VF rho = (detail * kDetailGain + kDetailBase) * q * prepared.emitterOpacity[k] * densityScale;
        const VM adds = inside & (rho > 1e-5f);
        shares[k] = select(adds, rho, splat(0.0f));
        total = select(adds, total + rho, total);
    }

    if (settings.textureStrength > kTextureMinStrength) {
        const VM textured = active & (total > 1e-6f);
        if (any(textured)) {
            const VF tau = textureLanes(field, p, textured);
            const VF m =
                maxLanes(splat(0.0f),
                         (tau - 0.5f) * settings.textureContrast * settings.textureStrength * 0.7f + 1.0f);
            total = select(textured, total * m, total);
            for (int32_t k = 0; k < settings.emitterCount; ++k)
                shares[k] = select(textured, shares[k] * m, shares[k]);
        }
    }
    return total;
}

/// CloudField::shadowDensity for the lanes of `active`.
static VF shadowDensityLanes(const CloudField& field, const VF p[3], VM active) {
    const RenderSettings& settings = field.settings;
    const PreparedFrame& prepared = field.prepared;
    VF total = splat(0.0f);
    for (int32_t k = 0; k < settings.emitterCount; ++k) {
        const ShapeLanes shape = emitterShapeLanes(p, k, field, false, active);
        if (!any(shape.live)) continue;
        const VM inside = shape.live & (shape.s > 0.0f);
        if (!any(inside)) continue;
        const VF q = edgeProfileLanes(shape.s, field, inside);
        const float densityScale = settings.cloudSizePx / prepared.emitterRadius[k];
        total = select(inside, total + q * prepared.emitterOpacity[k] * densityScale, total);
    }
    return total;
}
