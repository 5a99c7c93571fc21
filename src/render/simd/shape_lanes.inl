// One emitter's cloud shape over lanes: the reach test, the local frame, the base ellipsoid, the
// (warped, shaped) billows, the erosion and the flattening, with the bounds that stop the work as
// soon as a lane's shape provably cannot end above 0. Included by packet_kernel.inl inside its
// instruction-set namespace, after lanes.h and noise_lanes.inl.

// Upper-bound bookkeeping (see the argument below), from the look's constants (cloud_look.h) and
// the range of a noise octave [kOctaveMin, kOctaveMax] (noise.h).
/// How far erosion may raise the shape value per unit of "Edge Erosion": at its lowest noise.
constexpr float kErosionMaxRise = kErosionDepth * -kOctaveMin;
constexpr float kBoundSlack = 1e-4f; // relative rounding margin of every bound

/// t^2 (3 - 2t) for t already in [0, 1].
NEBULASTRA_LANE VF smoothstepLanes(VF t) { return (t * t) * (3.0f - 2.0f * t); }

/// The larger of two bounds; not a number in a lane where either is, so that lane never skips.
NEBULASTRA_LANE VF boundMaxLanes(VF a, VF b) {
    const VM undefined = (a != a) | (b != b);
    return select(undefined, a + b, select(a > b, a, b));
}

NEBULASTRA_LANE int32_t offsetSeedScalar(int32_t seed, uint32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(seed) + offset);
}

/// How far one octave of gradientNoise4 can stray from 0.5 at its point, over kNoise4Scale, lane
/// by lane, from the lookup's own lattice fractions and fade weights (u, v, s of x, y, z): at most
/// the root of the offsets' squared lengths weighted like the corners (see below). The weights of
/// one axis are 1 - fade(t) and fade(t) for offsets t and 1 - t, so that axis adds
/// (1 - fade(t)) t^2 + fade(t) (1 - t)^2 = t^2 + fade(t) (1 - 2t): at most 1/4 (at t = 1/2), 0 at
/// a lattice plane.
NEBULASTRA_LANE VF octaveReachLanes(VF fx, VF fy, VF fz, float fw, VF u, VF v, VF s) {
    const auto spread = [](auto t, auto fade) { return t * t + fade * (1.0f - (t + t)); };
    return sqrtLanes(((spread(fx, u) + spread(fy, v)) + spread(fz, s)) + spread(fw, fadeLanes(fw)));
}

/// The range of one shaped octave whose value lies within kNoise4Scale reach of 0.5 (and within the
/// global octave range).
NEBULASTRA_LANE void shapedReachLanes(NoiseShape shape, VF reach, VF& low, VF& high) {
    const VF half = kNoise4Scale * reach;
    const VF n0 = maxLanes(0.5f - half, splat(kOctaveMin)), n1 = minLanes(0.5f + half, splat(kOctaveMax));
    switch (shape) {
    case NoiseShape::Puffy: // |2n - 1| with n in [n0, n1], which holds 1/2
        low = splat(0.0f);
        high = maxLanes(absLanes((n0 + n0) - 1.0f), absLanes((n1 + n1) - 1.0f));
        return;
    case NoiseShape::Wispy: { // (1 - |2n - 1|)^2
        const VF ridge = 1.0f - maxLanes(absLanes((n0 + n0) - 1.0f), absLanes((n1 + n1) - 1.0f));
        low = select(ridge > 0.0f, ridge * ridge, splat(0.0f));
        high = maxLanes(splat(1.0f), ridge * ridge);
        return;
    }
    case NoiseShape::Clumps: // n^3 is monotonic
        low = (n0 * n0) * n0;
        high = (n1 * n1) * n1;
        return;
    default:
        low = n0;
        high = n1;
        return;
    }
}

// One emitter's cloud shape: a soft ellipsoid in the emitter's rotated, scaled frame, pushed in
// and out by billow noise, eaten at the rim by erosion, stretched upward by "Tower" and cut below
// by "Flatten Base". Space has +y down, so h > 0 is below the emitter's centre.
//
// Skipping what cannot contribute. An emitter adds density only where its final shape value is
// above 0, and most of the noise it would evaluate lies where that is impossible. The final value
// is
//     s = flatten * (base + (b - mean) gain A 2.6 + erosion),
// where b is the shaped billow sum, erosion = e edgeErosion (-0.9) m with m in [0, 1], and flatten
// (1 - flattenBase smoothstep) depends only on the height. Every octave of gradientNoise4 lies in
// [-0.2, 1.2] (noise.h), so a shaped octave lies in shapedOctaveRange and the billow and erosion
// sums, weighted means of octaves, do too; after some octaves the sum is bounded by the partial sum
// plus the remaining weight times the range's end. Hence, before any noise and after every octave,
//     s_before_flatten <= base + max over b of the billow term + 0.18 edgeErosion
// (e >= -0.2 makes the erosion rise by at most 0.18 edgeErosion). With flatten >= 0, a bound that is
// not above 0 means s is not above 0 and the emitter contributes exactly 0, as it would after all
// the noise. With flatten = 0 (or not a number) nothing can contribute at all.
//
// Once a billow octave's point is known (its lattice fractions, which its lookup forms first), the
// octave is bounded more tightly there. It is 0.5 + 0.7 (kNoise4Scale) times a convex combination
// of its corners' values, each at most its offset's length in size, so by Cauchy-Schwarz it strays
// from 0.5 by at most 0.7 times the root of the weighted squared offset lengths, one term per axis
// (octaveReachLanes): 0.68 on average instead of 1, and 0 at a lattice point. The bound is asked
// before every octave with that octave's own range, the octaves after it keeping the global one.
//
// Rounding margin: the bound is a real-number argument, while s is computed in single precision
// with a few dozen roundings of relative size 2^-24 (6e-8) on terms of the bound's magnitude, plus
// the noise's own interpolation rounding (a few units of 1e-7). A bound is therefore trusted only
// when it is below -kBoundSlack (1e-4) times the sum of the magnitudes involved: about a thousand
// times the largest rounding error the computation can make, while costing a negligible share of
// the skips (they happen at bounds far below 0).

struct ShapeLanes {
    VM live; // lanes where the emitter may still contribute
    VF s, lx, ly, lz;
};

/// emitterShape for every lane of `active`; lanes outside `live` on return contribute nothing.
static ShapeLanes emitterShapeLanes(const VF p[3], int32_t k, const CloudField& field, bool erode,
                                    VM active) {
    ShapeLanes out;
    const RenderSettings& settings = field.settings;
    const PreparedFrame& prepared = field.prepared;
    const float* position = settings.emitters[k].position;
    const VF d0 = p[0] - position[0], d1 = p[1] - position[1], d2 = p[2] - position[2];
    const float radius = prepared.emitterRadius[k];
    const float reach = radius * prepared.emitterMaxScale[k];
    const float reachSquared = kCloudReachSquared * (reach * reach); // beyond it the emitter adds nothing
    VM live = active & ~((d0 * d0 + d1 * d1) + d2 * d2 > reachSquared);
    out.live = live;
    if (!any(live)) return out;

    const float(*row)[kMaxEmitters][3] = prepared.emitterRotation;
    const VF lx = (row[0][k][0] * d0 + row[0][k][1] * d1) + row[0][k][2] * d2;
    const VF ly = (row[1][k][0] * d0 + row[1][k][1] * d1) + row[1][k][2] * d2;
    const VF lz = (row[2][k][0] * d0 + row[2][k][1] * d1) + row[2][k][2] * d2;
    const VF ax = lx * prepared.emitterInvScale[0][k];
    const VF ay = ly * prepared.emitterInvScale[1][k];
    const VF az = lz * prepared.emitterInvScale[2][k];
    const VF h = ay / radius;

    const float tower = settings.tower;
    VF ayTower = ay;
    if (tower > 0.0f) ayTower = select(ay < 0.0f, ay / (1.0f + kTowerStretch * tower), ay);
    const VF base = 1.0f - sqrtLanes((ax * ax + ayTower * ayTower) + az * az) / radius;

    VF amplitude = splat(settings.billow);
    if (tower > 0.0f)
        amplitude = settings.billow * (1.0f + kTowerBillowGain * tower * maxLanes(-h, splat(0.0f)));

    VF flatten = splat(1.0f);
    if (settings.flattenBase > 0.0f) {
        const VF t = clampLanes((h - kFlattenStart) * kFlattenInvSpan, 0.0f, 1.0f);
        flatten = 1.0f - settings.flattenBase * smoothstepLanes(t);
        live &= (flatten > 0.0f) | (flatten < 0.0f);
    }
    const VM boundsHold = flatten > 0.0f;

    const bool eroding = erode && settings.edgeErosion > 0.0f;
    const float erosionRise = eroding ? kErosionMaxRise * settings.edgeErosion : 0.0f;
    const NoiseRange range = shapedOctaveRange(settings.billowMap);
    const float mean = prepared.billowMean, gain = prepared.billowGain;
    // The billow term of a billow sum b (its sign follows gain and amplitude).
    const auto billowTerm = [&](VF b) { return (b - mean) * gain * amplitude * kBillowReach; };
    const VF termAtLowest = billowTerm(splat(range.lowest));
    const VF termAtHighest = billowTerm(splat(range.highest));
    const VF slack =
        kBoundSlack *
        (((1.0f + absLanes(base)) + (absLanes(termAtLowest) + absLanes(termAtHighest))) + erosionRise);
    // With the frame's own octave bounds where it has them (see PreparedFrame::billowRestLow).
    const bool frameBounds = prepared.billowBounded;
    float octaveWeight = 0.0f, octaveAmplitude = 0.5f; // the sum's weight, accumulated as it is
    for (int32_t o = 0; frameBounds && o < settings.billowDetail; ++o, octaveAmplitude *= 0.5f)
        octaveWeight += octaveAmplitude;
    const VF termLowest =
        frameBounds ? billowTerm(splat(prepared.billowRestLow[0] * (1.0f / octaveWeight))) : termAtLowest;
    const VF termHighest =
        frameBounds ? billowTerm(splat(prepared.billowRestHigh[0] * (1.0f / octaveWeight))) : termAtHighest;
    live &= ~(boundsHold & ((base + boundMaxLanes(termLowest, termHighest)) + erosionRise + slack < 0.0f));
    out.live = live;
    if (!any(live)) return out;

    const float f = prepared.billowFrequency;
    const float kf = static_cast<float>(k);
    VF bx = lx * f + kEmitterStep[0] * kf;
    VF by = ly * f + kEmitterStep[1] * kf;
    VF bz = lz * f + kEmitterStep[2] * kf;
    if (settings.domainWarp > 0.0f) {
        const float warp = kWarpStrength * settings.domainWarp;
        const VF hx = bx * kWarpScale, hy = by * kWarpScale, hz = bz * kWarpScale;
        VF shift[3];
        for (int axis = 0; axis < 3; ++axis) {
            const WarpChannel& c = kWarp[axis];
            shift[axis] = (perlinNoise3Lanes(hx + c.offset[0], hy + c.offset[1], hz + c.offset[2],
                                             offsetSeedScalar(settings.billowSeed, c.seedOffset), live) -
                           0.5f) *
                          warp;
        }
        bx += shift[0];
        by += shift[1];
        bz += shift[2];
    }

    // Billows, with the bound asked again before every octave, with that octave's own range at
    // its point (see above) and the global range for the octaves after it.
    const float centreShaped = shapeOctaveLanes(settings.billowMap, splat(0.5f))[0];
    int32_t octavesAsked = 0;
    VF billowValue;
    const bool billowsDone = fbmLanesWhile(
        settings.billowMap, bx, by, bz, prepared.billowPhase, settings.billowDetail, settings.billowSeed,
        live, billowValue,
        [&](VF sum, float weight, float amplitude, float weightTotal, VF fx, VF fy, VF fz, float fw, VF u,
            VF v, VF s) {
            // A bound may round more than the sum it bounds (the slack covers a few roundings), so
            // it scales by the rounded reciprocal instead of dividing.
            const float rest = (weightTotal - weight) - amplitude, inverseTotal = 1.0f / weightTotal;
            const int32_t after = ++octavesAsked; // the octaves after this one
            const float restLowest = frameBounds ? prepared.billowRestLow[after] : range.lowest * rest;
            const float restHighest = frameBounds ? prepared.billowRestHigh[after] : range.highest * rest;
            // Not even an octave of exactly 0.5 (its value at a lattice point) would leave a lane
            // empty: the octave's own range cannot either, so it is not worth forming.
            const VF atCentre = splat(amplitude * centreShaped);
            const VF hopeful =
                boundMaxLanes(billowTerm(((sum + atCentre) + range.lowest * rest) * inverseTotal),
                              billowTerm(((sum + atCentre) + range.highest * rest) * inverseTotal));
            if (!any(live & boundsHold & ((base + hopeful) + erosionRise + slack < 0.0f))) return live;
            VF low, high;
            shapedReachLanes(settings.billowMap, octaveReachLanes(fx, fy, fz, fw, u, v, s), low, high);
            const VF lowest = ((sum + amplitude * low) + restLowest) * inverseTotal;
            const VF highest = ((sum + amplitude * high) + restHighest) * inverseTotal;
            const VF term = boundMaxLanes(billowTerm(lowest), billowTerm(highest));
            live &= ~(boundsHold & ((base + term) + erosionRise + slack < 0.0f));
            return live;
        },
        [&](VF, float, float) { return true; });
    out.live = live;
    if (!billowsDone) return out;
    VF s = billowTerm(billowValue) + base;

    if (eroding) {
        const VF t = s * kErosionInvReach;
        const VF m = select(t >= 0.0f, 1.0f - smoothstepLanes(minLanes(t, splat(1.0f))),
                            select(t < 0.0f, splat(1.0f), splat(0.0f)));
        VM erodeLanes = live & (m > 0.0f);
        const VF rise = settings.edgeErosion * kErosionDepth * m;
        const VF erosionSlack = kBoundSlack * ((1.0f + absLanes(s)) + kOctaveMax * rise);
        const VM hopeless = erodeLanes & boundsHold & (s + -kOctaveMin * rise + erosionSlack < 0.0f);
        live &= ~hopeless;
        erodeLanes &= ~hopeless;
        if (any(erodeLanes)) {
            const Channel& c = kErosion;
            VF e;
            const bool finished = fbmLanesWhile(
                NoiseShape::Smooth, bx * c.scale + c.offset[0], by * c.scale + c.offset[1],
                bz * c.scale + c.offset[2], prepared.billowPhase * c.phaseScale + c.phaseOffset,
                settings.billowDetail < kErosionOctaves ? settings.billowDetail : kErosionOctaves,
                offsetSeedScalar(settings.billowSeed, c.seedOffset), erodeLanes, e,
                [&](VF sum, float weight, float weightTotal) {
                    const VF lowest = (sum + kOctaveMin * (weightTotal - weight)) * (1.0f / weightTotal);
                    const VM empty = erodeLanes & boundsHold & (s - lowest * rise + erosionSlack < 0.0f);
                    live &= ~empty;
                    erodeLanes &= ~empty;
                    return any(erodeLanes);
                });
            if (finished) s = select(erodeLanes, s + e * settings.edgeErosion * -kErosionDepth * m, s);
        }
    }

    if (settings.flattenBase > 0.0f) s = s * flatten;
    out.live = live;
    out.s = s;
    out.lx = lx;
    out.ly = ly;
    out.lz = lz;
    return out;
}
