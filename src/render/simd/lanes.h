#pragma once
// The lane types the kernel is written over: kLanes single-precision floats (or 32-bit integers)
// processed together, one pixel per lane. The including translation unit (kernel_<isa>.cpp) sets
// the width, NEBULASTRA_LANES, for the instruction set it is compiled for, and the lanes fill one
// of its registers or a pair of them: 32 lanes in two 512-bit registers with AVX-512, 16 in two
// 256-bit registers with AVX2 (with FMA and BMI2), 8 in two registers of the x86-64 baseline SSE2,
// and 1: the one-pixel and one-lookup entry points, and the render path for processors without any
// of these, are the same source at one lane. The instruction-set specifics below are chosen by the
// register's width alone.
// Arithmetic uses GCC's vector extensions, whose +, -, * and / are the IEEE operations lane by lane
// (each rounded by itself, never fused with -ffp-contract=off), so every lane computes exactly what
// the one-lane build computes for its pixel; a pair applies them to each register (lane_pair.h).
// Square roots, conversions and mask tests go through the instruction set's own operations, which
// are exact as well.
//
// Why a pair: what a packet shares among its pixels (each lattice cell's corners, the search for
// the cells, the per-packet decisions) is then shared among twice as many, while the work of each
// pixel stays the same. Packets of two registers cost 11 to 15 % less CPU per frame than packets of
// one on AVX-512, AVX2 and SSE2 alike (bench/README.md).
//
// Include this only from a kernel translation unit, inside its instruction-set namespace: every
// function here is static so that no copy compiled for one instruction set can stand in for
// another's at link time.

#include <cstdint>
#if NEBULASTRA_LANES > 1
#include <immintrin.h>
#endif

#if !defined(NEBULASTRA_LANES)
#error "the kernel translation unit sets NEBULASTRA_LANES: 1, 4, 8, 16 or 32"
#endif
static constexpr int kLanes = NEBULASTRA_LANES;

// The lanes of one register.
#if NEBULASTRA_LANES == 1
#define NEBULASTRA_REGISTER_LANES 1
#elif defined(__AVX512F__) && NEBULASTRA_LANES >= 16
#define NEBULASTRA_REGISTER_LANES 16
#elif defined(__AVX2__) && NEBULASTRA_LANES >= 8
#define NEBULASTRA_REGISTER_LANES 8
#else
#define NEBULASTRA_REGISTER_LANES 4
#endif
static constexpr int kRegisterLanes = NEBULASTRA_REGISTER_LANES;
static_assert(kLanes == kRegisterLanes || kLanes == 2 * kRegisterLanes, "the lanes fill one register or two");

#define NEBULASTRA_LANE static inline __attribute__((always_inline))

// A hook where a lane mask decides whose results are used: nothing in the effect; the lane
// occupancy benchmark (bench/lane_occupancy.cpp) defines it to count the lanes in use.
#ifndef NEBULASTRA_LANE_PROBE
#define NEBULASTRA_LANE_PROBE(site, mask) ((void)0)
#endif

// ---- one register ------------------------------------------------------------------------------

typedef float RF __attribute__((vector_size(kRegisterLanes * 4)));
typedef int32_t RI __attribute__((vector_size(kRegisterLanes * 4)));
typedef uint32_t RU __attribute__((vector_size(kRegisterLanes * 4)));

NEBULASTRA_LANE RF registerSqrt(RF x) {
#if NEBULASTRA_REGISTER_LANES == 1
    return RF{__builtin_sqrtf(x[0])}; // the correctly rounded square root instruction
#elif NEBULASTRA_REGISTER_LANES == 16
    return (RF)_mm512_maskz_sqrt_ps(0xFFFF, (__m512)x); // the unmasked form trips -Wmaybe-uninitialized
#elif NEBULASTRA_REGISTER_LANES == 8
    return (RF)_mm256_sqrt_ps((__m256)x);
#else
    return (RF)_mm_sqrt_ps((__m128)x);
#endif
}

NEBULASTRA_LANE RF registerAddExactProduct(RF a, float scale, float c) {
#if NEBULASTRA_REGISTER_LANES < 8
    return a * scale + c;
#elif NEBULASTRA_REGISTER_LANES == 16
    return (RF)_mm512_fmadd_ps((__m512)a, _mm512_set1_ps(scale), _mm512_set1_ps(c));
#else
    return (RF)_mm256_fmadd_ps((__m256)a, _mm256_set1_ps(scale), _mm256_set1_ps(c));
#endif
}

#if NEBULASTRA_REGISTER_LANES >= 8
NEBULASTRA_LANE RF registerFloor(RF x) {
#if NEBULASTRA_REGISTER_LANES == 16
    return (RF)_mm512_maskz_roundscale_ps(0xFFFF, (__m512)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#else
    return (RF)_mm256_round_ps((__m256)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#endif
}
#endif

/// Bit l set where lane l of the register's mask is set.
NEBULASTRA_LANE uint32_t registerBits(RI m) {
#if NEBULASTRA_REGISTER_LANES == 1
    return m[0] != 0 ? 1u : 0u;
#elif NEBULASTRA_REGISTER_LANES == 16
    return _mm512_test_epi32_mask((__m512i)m, (__m512i)m);
#elif NEBULASTRA_REGISTER_LANES == 8
    return static_cast<uint32_t>(_mm256_movemask_ps((__m256)m));
#else
    return static_cast<uint32_t>(_mm_movemask_ps((__m128)m));
#endif
}

/// Lane q's value (q below kRegisterLanes) in every lane.
NEBULASTRA_LANE RI registerBroadcast(RI v, int q) {
#if NEBULASTRA_REGISTER_LANES == 16
    return (RI)_mm512_maskz_permutexvar_epi32(0xFFFF, _mm512_set1_epi32(q), (__m512i)v); // in registers
#elif NEBULASTRA_REGISTER_LANES == 8
    return (RI)_mm256_permutevar8x32_epi32((__m256i)v, _mm256_set1_epi32(q));
#else
    return RI{} + v[q];
#endif
}

/// Lane l: entry index[l] of the register pair (lo, hi), the lanes of lo below kRegisterLanes and
/// of hi from there. With one register, lo and hi are the same.
NEBULASTRA_LANE RI registerPermute(RI lo, RI hi, RI index) {
#if NEBULASTRA_REGISTER_LANES == 16
    return (RI)_mm512_maskz_permutex2var_epi32(0xFFFF, (__m512i)lo, (__m512i)index, (__m512i)hi);
#elif NEBULASTRA_REGISTER_LANES == 8
    const __m256i fromLo = _mm256_permutevar8x32_epi32((__m256i)lo, (__m256i)index);
    if (kLanes == kRegisterLanes) return (RI)fromLo;
    const __m256i fromHi = _mm256_permutevar8x32_epi32((__m256i)hi, (__m256i)index);
    return (RI)_mm256_blendv_epi8(fromLo, fromHi, (__m256i)(index > 7));
#else
    RI out;
    for (int l = 0; l < kRegisterLanes; ++l) {
        const int at = index[l];
        out[l] = at < kRegisterLanes ? lo[at] : hi[at - kRegisterLanes];
    }
    return out;
#endif
}

/// Lane by lane entries[index[l]], index 0 or 1: the pair of entries is repeated in every 64-bit
/// part of the register, where the in-part permutation picks.
NEBULASTRA_LANE RF registerPickPair(const float* entries, RI index) {
#if NEBULASTRA_REGISTER_LANES >= 8
    // The load broadcasts the pair straight from memory, as one double.
    double pair;
    __builtin_memcpy(&pair, entries, sizeof pair);
#if NEBULASTRA_REGISTER_LANES == 16
    return (RF)_mm512_maskz_permutevar_ps(0xFFFF, _mm512_castpd_ps(_mm512_set1_pd(pair)), (__m512i)index);
#else
    return (RF)_mm256_permutevar_ps(_mm256_castpd_ps(_mm256_set1_pd(pair)), (__m256i)index);
#endif
#else
    RF out; // no in-part permutation before AVX
    for (int l = 0; l < kRegisterLanes; ++l) out[l] = entries[index[l]];
    return out;
#endif
}

// ---- the lanes: one register or a pair -----------------------------------------------------------

#if NEBULASTRA_LANES == NEBULASTRA_REGISTER_LANES
typedef RF VF;
typedef RI VI;
typedef RU VU;
/// f applied to the lanes' register (or to each of the pair's).
template <class T, class F>
NEBULASTRA_LANE auto perRegister(T x, F f) {
    return f(x);
}
#else
#define NEBULASTRA_LANE_PAIR 1
#include "render/simd/lane_pair.h"
typedef LanePair<RF, float> VF;
typedef LanePair<RI, int32_t> VI;
typedef LanePair<RU, uint32_t> VU;
NEBULASTRA_LANE VF lanesOf(RF lo, RF hi) { return {lo, hi}; }
NEBULASTRA_LANE VI lanesOf(RI lo, RI hi) { return {lo, hi}; }
template <class T, class F>
NEBULASTRA_LANE auto perRegister(T x, F f) {
    return lanesOf(f(x.lo), f(x.hi));
}
#endif
/// A lane mask: all bits set where true, as vector comparisons produce it.
typedef VI VM;

NEBULASTRA_LANE VF splat(float x) { return VF{} + x; }
NEBULASTRA_LANE VI splatI(int32_t x) { return VI{} + x; }
NEBULASTRA_LANE VU splatU(uint32_t x) { return VU{} + x; }

NEBULASTRA_LANE VF sqrtLanes(VF x) {
    return perRegister(x, [](RF r) { return registerSqrt(r); });
}

/// a * scale + c, for a scale that makes the product exact (a power of two, with no underflow or
/// overflow): then only the addition rounds, so the fused multiply-add, where the instruction set
/// has one, gives the bits of a multiply followed by an add in one instruction.
NEBULASTRA_LANE VF addExactProduct(VF a, float scale, float c) {
    return perRegister(a, [&](RF r) { return registerAddExactProduct(r, scale, c); });
}

#if NEBULASTRA_REGISTER_LANES >= 8
/// The largest integer not above x, lane by lane (the rounding instruction of AVX and later).
NEBULASTRA_LANE VF floorLanes(VF x) {
    return perRegister(x, [](RF r) { return registerFloor(r); });
}
#endif

/// Bit l set where lane l of the mask is set.
NEBULASTRA_LANE uint32_t laneBits(VM m) {
#if defined(NEBULASTRA_LANE_PAIR)
    return registerBits(m.lo) | registerBits(m.hi) << kRegisterLanes;
#else
    return registerBits(m);
#endif
}

/// True when any lane of the mask is set.
NEBULASTRA_LANE bool any(VM m) {
#if defined(NEBULASTRA_LANE_PAIR)
    return registerBits(m.lo | m.hi) != 0;
#else
    return registerBits(m) != 0;
#endif
}

/// The lane numbers 0, 1, ..., kLanes - 1.
NEBULASTRA_LANE VU laneIndex() {
    VU v = {};
    for (int l = 0; l < kLanes; ++l) v[l] = static_cast<uint32_t>(l);
    return v;
}

/// Lane q's value in every lane.
NEBULASTRA_LANE VU broadcastLane(VU v, int q) {
#if defined(NEBULASTRA_LANE_PAIR)
    const RU all = (RU)registerBroadcast(q < kRegisterLanes ? (RI)v.lo : (RI)v.hi, q % kRegisterLanes);
    return VU{all, all};
#else
    return (VU)registerBroadcast((RI)v, q);
#endif
}

/// Lane l of v[index[l]]: a lane permutation (index below kLanes).
NEBULASTRA_LANE VU permuteLanes(VU v, VU index) {
#if defined(NEBULASTRA_LANE_PAIR)
    return VU{(RU)registerPermute((RI)v.lo, (RI)v.hi, (RI)index.lo),
              (RU)registerPermute((RI)v.lo, (RI)v.hi, (RI)index.hi)};
#else
    return (VU)registerPermute((RI)v, (RI)v, (RI)index);
#endif
}

/// Lane by lane entries[index[l]], index 0 or 1.
NEBULASTRA_LANE VF pickPair(const float* entries, VI index) {
    return perRegister(index, [&](RI r) { return registerPickPair(entries, r); });
}

#if defined(NEBULASTRA_LANE_PAIR)
NEBULASTRA_LANE VF select(VM m, VF a, VF b) { return {m.lo ? a.lo : b.lo, m.hi ? a.hi : b.hi}; }
NEBULASTRA_LANE VU selectU(VM m, VU a, VU b) { return {m.lo ? a.lo : b.lo, m.hi ? a.hi : b.hi}; }
#else
NEBULASTRA_LANE VF select(VM m, VF a, VF b) { return m ? a : b; }
NEBULASTRA_LANE VU selectU(VM m, VU a, VU b) { return m ? a : b; }
#endif

NEBULASTRA_LANE VU bitsOf(VF x) { return (VU)x; }
NEBULASTRA_LANE VF floatOf(VU x) { return (VF)x; }

NEBULASTRA_LANE VF absLanes(VF x) { return (VF)((VU)x & 0x7FFFFFFFu); }

/// Truncation toward zero; the caller keeps the values inside the int32 range.
NEBULASTRA_LANE VI truncateToInt(VF x) {
    return perRegister(x, [](RF r) { return __builtin_convertvector(r, RI); });
}
NEBULASTRA_LANE VF toFloat(VI x) {
    return perRegister(x, [](RI r) { return __builtin_convertvector(r, RF); });
}

/// std::max(a, b) = (a < b) ? b : a and std::min(a, b) = (b < a) ? b : a lane by lane, with the
/// same answer when an operand is not a number.
NEBULASTRA_LANE VF maxLanes(VF a, VF b) { return select(a < b, b, a); }
NEBULASTRA_LANE VF minLanes(VF a, VF b) { return select(b < a, b, a); }
NEBULASTRA_LANE VF clampLanes(VF x, float lo, float hi) {
    return minLanes(maxLanes(x, splat(lo)), splat(hi));
}
