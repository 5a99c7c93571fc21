// The noises over lanes: gradientNoise4, perlinNoise3 and their fractal sums, one lookup per
// lane, each lane computing exactly the bits of the one-lookup functions. Included by
// packet_kernel.inl inside its instruction-set namespace, after lanes.h.

NEBULASTRA_LANE VU mixLanes(VU a) {
    VU t = a ^ (a >> 13);
    t *= kPrimeZ;
    t ^= t >> 16;
    return t & 0x7FFFFFFFu;
}

/// floor(v) and v - floor(v), clamped into the int32 range first exactly as the scalar split.
NEBULASTRA_LANE VU latticeCellLanes(VF v, VF& fraction) {
    const VF lowest = splat(-2147483648.0f);
    const VF highest = splat(2147483520.0f);
    VF c = select(v > lowest, v, lowest); // NaN selects the lowest cell
    c = select(c < highest, c, highest);
#if NEBULASTRA_REGISTER_LANES < 8
    VI cell = truncateToInt(c);
    cell = (VI)selectU(c < toFloat(cell), (VU)cell - 1u, (VU)cell);
    fraction = v - toFloat(cell);
    return (VU)cell;
#else
    // The rounding instruction's floor is the same integer, and as a float it equals the cell
    // converted back (an integer of the clamped range is a float exactly).
    const VF floor = floorLanes(c);
    fraction = v - floor;
    return (VU)truncateToInt(floor);
#endif
}

/// latticeCellLanes for one value shared by every lane (a phase): the same cell and fraction.
NEBULASTRA_LANE uint32_t latticeCellLanes(float v, float& fraction) {
    VF f;
    const VU cell = latticeCellLanes(splat(v), f);
    fraction = f[0];
    return cell[0];
}

/// The fade weight of fraction t, for lanes or for one value shared by every lane.
template <class T>
NEBULASTRA_LANE T fadeLanes(T t) {
    return (((6.0f * t - 15.0f) * t + 10.0f) * t) * (t * t);
}
NEBULASTRA_LANE VF lerpLanes(VF a, VF b, VF t) { return (b - a) * t + a; }

/// The 31-bit hash as a float in [-0.5, 0.5): one gradient component. The hash converts to a float
/// of at most 2^31, which 2^-31 scales exactly.
NEBULASTRA_LANE VF gradientComponentLanes(VU h) {
    return addExactProduct(toFloat((VI)mixLanes(h)), kTwoPowMinus31, -0.5f);
}

/// One corner of a 4-D lattice cell, whatever the point inside it: its gradient's components and
/// length (with the guard that keeps the length above 0).
struct Corner4 {
    VF gx, gy, gz, gw, length;
};

/// The corner whose hash minus kGradientSpacing is `hFirst`: its gradient's four components are the
/// hashes spaced kGradientSpacing apart, starting at hFirst, each as gradientComponentLanes.
NEBULASTRA_LANE Corner4 corner4(VU hFirst) {
    Corner4 corner;
    corner.gx = gradientComponentLanes(hFirst);
    const VU h = hFirst + kGradientSpacing;
    corner.gy = gradientComponentLanes(h);
    corner.gz = gradientComponentLanes(h + kGradientSpacing);
    corner.gw = gradientComponentLanes(h + 2u * kGradientSpacing);
    const Corner4& g = corner;
    corner.length = sqrtLanes(((g.gw * g.gw + 1e-6f) + g.gz * g.gz) + (g.gy * g.gy + g.gx * g.gx));
    return corner;
}

/// A corner's value at offset (ox, oy, oz, ow) from it: the offset dotted with the unit gradient.
/// The w offset may be one for all lanes (a float).
template <class W>
NEBULASTRA_LANE VF cornerValue4(const Corner4& g, VF ox, VF oy, VF oz, W ow) {
    return ((ox * g.gx + oy * g.gy) + (ow * g.gw + oz * g.gz)) / g.length;
}

/// The lane from which a shared lattice cell is taken: the first of `live`, or lane 0 if none is.
NEBULASTRA_LANE int referenceLane(uint32_t liveBits) { return liveBits != 0 ? __builtin_ctz(liveBits) : 0; }

/// True when every lane of `liveBits` lies in the cell of lane `r` along each of the axes.
NEBULASTRA_LANE bool sameCell(uint32_t liveBits, int r, VU cx, VU cy, VU cz) {
    const VM same = (cx == cx[r]) & (cy == cy[r]) & (cz == cz[r]);
    return (laneBits(same) & liveBits) == liveBits;
}

/// The most lattice cells for which a 4-D lookup over lanes forms each cell's corners once and
/// hands every lane its cell's corners. Up to this many cells cost the corner vectors of this many
/// (16 corners a cell, kLanes a vector) and one more step of the search for the cells, against
/// sixteen corner vectors with their square roots for one lookup per lane. Two rendered fastest
/// with packets of two registers on AVX2 and AVX-512 (1 to 4 % less CPU than four, 4 to 11 % less
/// than one). Each lane picks its cell's corners by an in-register permutation (pickPair), which
/// needs AVX; with one lane there is nothing to share.
constexpr int kMaxSharedCells4 = kRegisterLanes < 8 ? (kLanes > 1 ? 1 : 0) : 2;
static_assert(kMaxSharedCells4 <= 2, "shared cells' corners are interleaved in pairs");

/// What the sixteen corners of Group 4-D lattice cells contribute whatever the point inside them:
/// the gradient components and the gradient's length of corner c = i + 2j + 4k + 8l (the corner one
/// cell further along x when i is 1, along y when j is 1 and so on). The cells are interleaved:
/// entry c Group + d is corner c of cell d, so that one load brings corner c of every cell and each
/// lane picks its own cell's in registers.
template <int Group>
struct CellGroupCorners4 {
    // Whole vectors of entries (with more lanes than corners, the last ones are never read).
    static constexpr int kEntries = 16 * Group < kLanes ? kLanes : 16 * Group;
    float gx[kEntries], gy[kEntries], gz[kEntries], gw[kEntries], length[kEntries];
};

/// The corners of Group cells with the one-lookup arithmetic, kLanes entries at a time: lane e of
/// (cx, cy, cz, cw) holds cell e % Group (the group divides the lanes), and each lane forms one
/// corner of that cell exactly as a lookup in the cell would.
template <int Group>
NEBULASTRA_LANE void cellGroupCorners4(VU cx, VU cy, VU cz, VU cw, uint32_t seedTerm,
                                       CellGroupCorners4<Group>& out) {
    // (At one lane nothing is shared and this never runs.)
    static_assert(kLanes % Group == 0 || kLanes == 1, "a group's cells repeat across the lanes");
    for (int first = 0; first < 16 * Group; first += kLanes) {
        const VU c = (laneIndex() + static_cast<uint32_t>(first)) / static_cast<uint32_t>(Group);
        const VU h = (cx + (c & 1u)) * kPrimeX + (cy + ((c >> 1) & 1u)) * kPrimeY +
                     (cz + ((c >> 2) & 1u)) * kPrimeZ + ((cw + (c >> 3)) * kPrimeW + seedTerm);
        const Corner4 corner = corner4(h - kGradientSpacing);
        __builtin_memcpy(out.gx + first, &corner.gx, sizeof corner.gx);
        __builtin_memcpy(out.gy + first, &corner.gy, sizeof corner.gy);
        __builtin_memcpy(out.gz + first, &corner.gz, sizeof corner.gz);
        __builtin_memcpy(out.gw + first, &corner.gw, sizeof corner.gw);
        __builtin_memcpy(out.length + first, &corner.length, sizeof corner.length);
    }
}

/// gradientNoise4 for the lanes of `live`; other lanes return unspecified values. Neighbouring
/// pixels mostly lie in a few lattice cells (all in one in the low octaves): then the corners'
/// hashes, gradients and lengths are formed once per cell instead of once per lane, and each lane
/// takes its cell's gradients, dots its offset with them and divides by the length. Either way
/// every lane performs the one-lookup operations on the same values, so the bits do not depend on
/// which way was taken.
///
/// `narrow(fx, fy, fz, fw, u, v, s)` has a say once the lanes' lattice fractions and their fade
/// weights are known, before any corner is formed: it returns the lanes that still need the value
/// (within `live`). When none does, the lookup ends there and its result is unspecified.
///
/// W is VF, a w per lane, or float: one w for every lane (a frame's phase, as every lookup of the
/// density field has), whose cell, fraction and fade are then formed once, and which never splits
/// the lanes into cells.
template <class W, class Narrow>
NEBULASTRA_LANE VF gradientNoise4LanesIf(VF x, VF y, VF z, W w, int32_t seed, VM live, Narrow narrow) {
    constexpr bool kOneW = std::is_same<W, float>::value;
    VF fx, fy, fz;
    W fw;
    const VU cx = latticeCellLanes(x, fx);
    const VU cy = latticeCellLanes(y, fy);
    const VU cz = latticeCellLanes(z, fz);
    const auto cw = latticeCellLanes(w, fw);
    // Lane q's w cell in every lane.
    const auto cellWOf = [&](int q) {
        if constexpr (kOneW) {
            (void)q;
            return splatU(cw);
        } else {
            return broadcastLane(cw, q);
        }
    };
    const VF u = fadeLanes(fx), v = fadeLanes(fy), s = fadeLanes(fz);
    live = narrow(fx, fy, fz, fw, u, v, s);
    if (!any(live)) return splat(0.0f);
    const uint32_t seedTerm = (static_cast<uint32_t>(seed) + kNoise4SeedOffset) * kPrimeSeed;
    const VF ox[2] = {fx, fx - 1.0f};
    const VF oy[2] = {fy, fy - 1.0f};
    const VF oz[2] = {fz, fz - 1.0f};
    const W ow[2] = {fw, fw - 1.0f};

    NEBULASTRA_LANE_PROBE(kNoise4, live);
    VF corner[2][2][2][2]; // [l][k][j][i]
    // The distinct cells of the live lanes, while there are few: cell d is lane first[d]'s, and
    // inCell[d] holds the lanes (live or not) in it. Lanes outside `live` do not count, since
    // their coordinates may be anything. With live lanes left over after kMaxSharedCells4 cells,
    // every lane makes its own lookup.
    VM inCell[kMaxSharedCells4 > 0 ? kMaxSharedCells4 : 1];
    int first[kMaxSharedCells4 > 0 ? kMaxSharedCells4 : 1];
    int cells = 0;
    uint32_t unassigned = laneBits(live);
    while (unassigned != 0 && cells < kMaxSharedCells4) {
        const int q = __builtin_ctz(unassigned);
        VM same = (cx == broadcastLane(cx, q)) & (cy == broadcastLane(cy, q)) & (cz == broadcastLane(cz, q));
        if constexpr (!kOneW) same &= cw == broadcastLane(cw, q);
        inCell[cells] = same;
        first[cells++] = q;
        unassigned &= ~laneBits(same);
    }
    // Every way below hands each lane its cell's corners through fetch(i, j, k, l), corner
    // i + 2j + 4k + 8l, and each lane takes the corner's value at its own offset.
    const auto dotCorners = [&](auto fetch) {
        for (int l = 0; l < 2; ++l) {
            for (int k = 0; k < 2; ++k) {
                for (int j = 0; j < 2; ++j) {
                    for (int i = 0; i < 2; ++i) {
                        corner[l][k][j][i] = cornerValue4(fetch(i, j, k, l), ox[i], oy[j], oz[k], ow[l]);
                    }
                }
            }
        }
    };
    if (unassigned == 0 && cells == 1) {
        NEBULASTRA_LANE_PROBE(kNoise4Shared, live);
        // Every live lane takes the one cell's corners (the other lanes too).
        CellGroupCorners4<1> shared;
        cellGroupCorners4<1>(broadcastLane(cx, first[0]), broadcastLane(cy, first[0]),
                             broadcastLane(cz, first[0]), cellWOf(first[0]), seedTerm, shared);
        dotCorners([&](int i, int j, int k, int l) {
            const int c = i + 2 * j + 4 * k + 8 * l;
            return Corner4{splat(shared.gx[c]), splat(shared.gy[c]), splat(shared.gz[c]), splat(shared.gw[c]),
                           splat(shared.length[c])};
        });
    } else if (unassigned == 0 && cells > 1) {
        if constexpr (kMaxSharedCells4 > 1) { // narrower lanes never share more than one cell
            NEBULASTRA_LANE_PROBE(kNoise4Shared, live);
            // The two cells' corners interleaved, each lane picking its own cell's (lanes in neither
            // take the first cell's): even lanes form the first cell's corners, odd lanes the
            // second's.
            const VU groupLane =
                selectU((VM)((laneIndex() & 1u) == 1u), splatU(static_cast<uint32_t>(first[1])),
                        splatU(static_cast<uint32_t>(first[0])));
            const VI cellOf = (VI)selectU(inCell[1], splatU(1u), splatU(0u));
            const VU groupX = permuteLanes(cx, groupLane), groupY = permuteLanes(cy, groupLane);
            VU groupW;
            if constexpr (kOneW) {
                groupW = splatU(cw);
            } else {
                groupW = permuteLanes(cw, groupLane);
            }
            const VU groupZ = permuteLanes(cz, groupLane);
            CellGroupCorners4<2> group;
            cellGroupCorners4<2>(groupX, groupY, groupZ, groupW, seedTerm, group);
            dotCorners([&](int i, int j, int k, int l) {
                const int at = (i + 2 * j + 4 * k + 8 * l) * 2;
                return Corner4{pickPair(group.gx + at, cellOf), pickPair(group.gy + at, cellOf),
                               pickPair(group.gz + at, cellOf), pickPair(group.gw + at, cellOf),
                               pickPair(group.length + at, cellOf)};
            });
        }
    } else {
        // Each corner hash is a sum of one term per axis (wrapping, so in any grouping): the x and y
        // terms are summed once per pair, as are the z and w terms with the first component's
        // spacing, and a corner's four hashes take one addition each.
        const VU hx[2] = {cx * kPrimeX, (cx + 1u) * kPrimeX};
        const VU hy[2] = {cy * kPrimeY, (cy + 1u) * kPrimeY};
        const VU hz[2] = {cz * kPrimeZ, (cz + 1u) * kPrimeZ};
        const auto hw0 = cw * kPrimeW + seedTerm, hw1 = (cw + 1u) * kPrimeW + seedTerm;
        const decltype(hw0) hw[2] = {hw0, hw1};
        VU hxy[2][2], hzw[2][2];
        for (int a = 0; a < 2; ++a) {
            for (int b = 0; b < 2; ++b) {
                hxy[b][a] = hx[a] + hy[b];
                hzw[b][a] = hz[a] + hw[b] - kGradientSpacing;
            }
        }
        // The corner's hash - kGradientSpacing.
        dotCorners([&](int i, int j, int k, int l) { return corner4(hxy[j][i] + hzw[l][k]); });
    }

    VF zl[2];
    for (int l = 0; l < 2; ++l) {
        const VF a00 = lerpLanes(corner[l][0][0][0], corner[l][0][0][1], u);
        const VF a10 = lerpLanes(corner[l][0][1][0], corner[l][0][1][1], u);
        const VF a01 = lerpLanes(corner[l][1][0][0], corner[l][1][0][1], u);
        const VF a11 = lerpLanes(corner[l][1][1][0], corner[l][1][1][1], u);
        const VF b0 = lerpLanes(a00, a10, v);
        const VF b1 = lerpLanes(a01, a11, v);
        zl[l] = lerpLanes(b0, b1, s);
    }
    const W t = ((4.2f * fw - 10.5f) * fw + 7.0f) * ((fw * fw) * fw);
    return ((zl[1] - zl[0]) * t + kNoise4Scale * zl[0]) + 0.5f;
}

template <class W>
NEBULASTRA_LANE VF gradientNoise4Lanes(VF x, VF y, VF z, W w, int32_t seed, VM live) {
    return gradientNoise4LanesIf(x, y, z, w, seed, live, [live](VF, VF, VF, W, VF, VF, VF) { return live; });
}

/// The gradient number 0..15 of the 3-D lattice corner whose hash sum is `h`.
NEBULASTRA_LANE VU gradientNumber3(VU h) {
    return (VU)truncateToInt(toFloat((VI)mixLanes(h)) * kTwoPowMinus15) & 15u;
}

// The choice of one of the sixteen improved-noise gradients by its number g (0..15): a corner's
// value is u + v, where u is the offset's x when g < 8 and its y otherwise, v is its y when g < 4,
// its x when g is 12 or 14 and its z otherwise, and bits 0 and 1 of g negate u and v (as sign
// bits). The one rule, for a gradient number per lane (a mask per lane) or one for all lanes.
template <class G>
NEBULASTRA_LANE auto gradientUIsX(G g) {
    return g < 8u;
}
template <class G>
NEBULASTRA_LANE auto gradientVIsY(G g) {
    return g < 4u;
}
template <class G>
NEBULASTRA_LANE auto gradientVIsX(G g) {
    return (g & 13u) == 12u;
}
template <class G>
NEBULASTRA_LANE G gradientSignU(G g) {
    return (g & 1u) << 31;
}
template <class G>
NEBULASTRA_LANE G gradientSignV(G g) {
    return (g & 2u) << 30;
}

/// The offset dotted with gradient number g, lane by lane.
NEBULASTRA_LANE VF gradientSelectLanes(VU g, VF dx, VF dy, VF dz) {
    const VU bx = bitsOf(dx), by = bitsOf(dy), bz = bitsOf(dz);
    const VU uIsX = (VU)gradientUIsX(g);
    const VU vIsY = (VU)gradientVIsY(g);
    const VU vIsX = (VU)gradientVIsX(g);
    const VU u = (bx & uIsX) | (by & ~uIsX);
    const VU v = (by & vIsY) | (bx & vIsX) | (bz & ~(vIsY | vIsX));
    return floatOf(u ^ gradientSignU(g)) + floatOf(v ^ gradientSignV(g));
}

NEBULASTRA_LANE VF cornerDot3Lanes(VU cx, VU cy, VU cz, uint32_t seedTerm, VF dx, VF dy, VF dz) {
    return gradientSelectLanes(gradientNumber3(cx * kPrimeX + cy * kPrimeY + cz * kPrimeZ + seedTerm), dx, dy,
                               dz);
}

/// The gradient numbers of the eight corners of cell (cx, cy, cz), corner c = i + 2j + 4k, hashed
/// kLanes corners at a time with the one-lookup arithmetic.
NEBULASTRA_LANE void cellGradients3(uint32_t cx, uint32_t cy, uint32_t cz, uint32_t seedTerm,
                                    uint32_t g[kLanes > 8 ? kLanes : 8]) {
    for (int first = 0; first < 8; first += kLanes) {
        const VU c = laneIndex() + static_cast<uint32_t>(first);
        const VU gc = gradientNumber3((cx + (c & 1u)) * kPrimeX + (cy + ((c >> 1) & 1u)) * kPrimeY +
                                      (cz + ((c >> 2) & 1u)) * kPrimeZ + seedTerm);
        __builtin_memcpy(g + first, &gc, sizeof gc);
    }
}

/// perlinNoise3 for the lanes of `live`; other lanes return unspecified values. As with the 4-D
/// noise, lanes that all lie in one cell share the corners' hashing and gradient choice.
NEBULASTRA_LANE VF perlinNoise3Lanes(VF x, VF y, VF z, int32_t seed, VM live) {
    VF fx, fy, fz;
    const VU cx = latticeCellLanes(x, fx);
    const VU cy = latticeCellLanes(y, fy);
    const VU cz = latticeCellLanes(z, fz);
    const uint32_t s = static_cast<uint32_t>(seed) * kPrimeSeed;
    const VF gx = fx - 1.0f, gy = fy - 1.0f, gz = fz - 1.0f;

    VF corner[8]; // corner i + 2j + 4k
    const uint32_t liveBits = laneBits(live);
    const int r = referenceLane(liveBits);
    NEBULASTRA_LANE_PROBE(kNoise3, live);
    if (sameCell(liveBits, r, cx, cy, cz)) {
        NEBULASTRA_LANE_PROBE(kNoise3Shared, live);
        uint32_t g[kLanes > 8 ? kLanes : 8];
        cellGradients3(cx[r], cy[r], cz[r], s, g);
        // One gradient number for all lanes: the rule picks the offset components themselves.
        const VF offset[6] = {fx, gx, fy, gy, fz, gz}; // x, x - 1, y, y - 1, z, z - 1
        for (int c = 0; c < 8; ++c) {
            const int i = c & 1, j = (c >> 1) & 1, k = c >> 2;
            const int u = gradientUIsX(g[c]) ? i : 2 + j;
            const int v = gradientVIsY(g[c]) ? 2 + j : (gradientVIsX(g[c]) ? i : 4 + k);
            corner[c] = floatOf(bitsOf(offset[u]) ^ gradientSignU(g[c])) +
                        floatOf(bitsOf(offset[v]) ^ gradientSignV(g[c]));
        }
    } else {
        const VU cx1 = cx + 1u, cy1 = cy + 1u, cz1 = cz + 1u;
        corner[0] = cornerDot3Lanes(cx, cy, cz, s, fx, fy, fz);
        corner[1] = cornerDot3Lanes(cx1, cy, cz, s, gx, fy, fz);
        corner[2] = cornerDot3Lanes(cx, cy1, cz, s, fx, gy, fz);
        corner[3] = cornerDot3Lanes(cx1, cy1, cz, s, gx, gy, fz);
        corner[4] = cornerDot3Lanes(cx, cy, cz1, s, fx, fy, gz);
        corner[5] = cornerDot3Lanes(cx1, cy, cz1, s, gx, fy, gz);
        corner[6] = cornerDot3Lanes(cx, cy1, cz1, s, fx, gy, gz);
        corner[7] = cornerDot3Lanes(cx1, cy1, cz1, s, gx, gy, gz);
    }

    const VF u = fadeLanes(fx), v = fadeLanes(fy), w = fadeLanes(fz);
    const VF a00 = lerpLanes(corner[0], corner[1], u);
    const VF a10 = lerpLanes(corner[2], corner[3], u);
    const VF a01 = lerpLanes(corner[4], corner[5], u);
    const VF a11 = lerpLanes(corner[6], corner[7], u);
    const VF b0 = lerpLanes(a00, a10, v);
    const VF b1 = lerpLanes(a01, a11, v);
    return (lerpLanes(b0, b1, w) + 1.0f) * 0.5f;
}

NEBULASTRA_LANE VF shapeOctaveLanes(NoiseShape shape, VF n) {
    switch (shape) {
    case NoiseShape::Puffy:
        return absLanes((n + n) - 1.0f);
    case NoiseShape::Wispy: {
        const VF ridge = 1.0f - absLanes((n + n) - 1.0f);
        return ridge * ridge;
    }
    case NoiseShape::Clumps:
        return (n * n) * n;
    default:
        return n;
    }
}

template <class W>
NEBULASTRA_LANE void nextOctaveLanes(VF& x, VF& y, VF& z, W& w, int32_t& seed) {
    const VF ox = x, oy = y, oz = z;
    x = oy * k08 + oz * k06;
    y = (oy * k036 - ox * k08) - oz * k048;
    z = oz * k064 - (ox * k06 + oy * k048);
    w = w * kLacunarity + kOctaveShiftW;
    seed = static_cast<int32_t>(static_cast<uint32_t>(seed) + kOctaveSeedStep);
}

/// The shaped fractal sum with a say before and after every octave: the one loop behind fbmLanes
/// and the density field's sums that stop as soon as their outcome is decided. Sums `octaves`
/// octaves of gradientNoise4 (gain 0.5), each reshaped by `shape`, into `result`. Before octave o
/// is evaluated, once its lattice fractions are known, `before(sum, weightSoFar, amplitude,
/// weightTotal, fx, fy, fz, fw, u, v, s)` returns the lanes that still need the sum; after every
/// octave but the last, `goOn(partialSum, weightSoFar, weightTotal)` says whether any does. When
/// either leaves none, the sum stops there, `result` is left unset and false is returned. Only the
/// lanes of `live` matter (their results are exact, the others' unspecified): the caller's own
/// mask, which both may narrow as lanes drop out.
template <class Before, class GoOn>
static bool fbmLanesWhile(NoiseShape shape, VF x, VF y, VF z, float w, int32_t octaves, int32_t seed,
                          const VM& live, VF& result, Before before, GoOn goOn) {
    if (octaves < 1) {
        result = splat(0.0f);
        return true;
    }
    // The weight the whole sum will reach, accumulated exactly as the sum accumulates it.
    float weightTotal = 0.0f, a = 0.5f;
    for (int32_t i = 0; i < octaves; ++i, a *= 0.5f) weightTotal += a;
    VF sum = splat(0.0f);
    float weight = 0.0f, amplitude = 0.5f;
    for (int32_t octave = 0; octave < octaves; ++octave) {
        bool stopped = false;
        const VF n = shapeOctaveLanes(
            shape, gradientNoise4LanesIf(
                       x, y, z, w, seed, live, [&](VF fx, VF fy, VF fz, float fw, VF u, VF v, VF s) {
                           const VM still =
                               before(sum, weight, amplitude, weightTotal, fx, fy, fz, fw, u, v, s);
                           stopped = !any(still);
                           return still;
                       }));
        if (stopped) return false;
        weight += amplitude;
        sum += n * amplitude;
        amplitude *= 0.5f;
        nextOctaveLanes(x, y, z, w, seed);
        if (octave + 1 < octaves && !goOn(sum, weight, weightTotal)) return false;
    }
    // After about 150 octaves the amplitude underflows to 0 and the weight stops growing; it never
    // returns to 0, but the guard keeps the division defined whatever the count.
    result = weight > 0.0f ? sum / weight : splat(0.0f);
    return true;
}

/// fbmLanesWhile with a say after every octave only.
template <class GoOn>
static bool fbmLanesWhile(NoiseShape shape, VF x, VF y, VF z, float w, int32_t octaves, int32_t seed,
                          const VM& live, VF& result, GoOn goOn) {
    return fbmLanesWhile(
        shape, x, y, z, w, octaves, seed, live, result,
        [&](VF, float, float, float, VF, VF, VF, float, VF, VF, VF) { return live; }, goOn);
}

/// Amplitude-normalised fractal sum of gradientNoise4, each octave reshaped by `shape`, for the
/// lanes of `live` (the others' results are unspecified).
static VF fbmLanes(VF x, VF y, VF z, float w, int32_t octaves, int32_t seed, VM live,
                   NoiseShape shape = NoiseShape::Smooth) {
    VF result;
    fbmLanesWhile(shape, x, y, z, w, octaves, seed, live, result, [](VF, float, float) { return true; });
    return result;
}
