#pragma once
// The lane types the kernel is written over: kLanes single-precision floats (or 32-bit integers)
// processed together, one pixel per lane. The including translation unit (kernel_<isa>.cpp) sets
// the width, NEBULASTRA_LANES, from the instruction set it is compiled for: 16 lanes with AVX-512,
// 8 with AVX2 (with FMA and BMI2), 4 with the x86-64 baseline SSE2, and 1: the one-pixel and
// one-lookup entry points, and the render path for processors without any of these, are the same
// source at one lane. The instruction-set specifics below are chosen by that width alone.
// Arithmetic uses GCC's vector extensions, whose +, -, * and / are the IEEE operations lane by lane
// (each rounded by itself, never fused with -ffp-contract=off), so every lane computes exactly what
// the one-lane build computes for its pixel. Square roots, conversions
// and mask tests go through the instruction set's own operations, which are exact as well.
//
// Include this only from a kernel translation unit, inside its instruction-set namespace: every
// function here is static so that no copy compiled for one instruction set can stand in for
// another's at link time.

#include <cstdint>
#if NEBULASTRA_LANES > 1
#include <immintrin.h>
#endif

#if !defined(NEBULASTRA_LANES)
#error "the kernel translation unit sets NEBULASTRA_LANES: 1, 4, 8 or 16"
#endif
static constexpr int kLanes = NEBULASTRA_LANES;
static_assert(kLanes == 1 || kLanes == 4 || kLanes == 8 || kLanes == 16, "a build's lane count");

typedef float VF __attribute__((vector_size(kLanes * 4)));
typedef int32_t VI __attribute__((vector_size(kLanes * 4)));
typedef uint32_t VU __attribute__((vector_size(kLanes * 4)));
/// A lane mask: all bits set where true, as vector comparisons produce it.
typedef VI VM;

#define NEBULASTRA_LANE static inline __attribute__((always_inline))

// A hook where a lane mask decides whose results are used: nothing in the effect; the lane
// occupancy benchmark (bench/lane_occupancy.cpp) defines it to count the lanes in use.
#ifndef NEBULASTRA_LANE_PROBE
#define NEBULASTRA_LANE_PROBE(site, mask) ((void)0)
#endif

NEBULASTRA_LANE VF splat(float x) { return VF{} + x; }
NEBULASTRA_LANE VI splatI(int32_t x) { return VI{} + x; }
NEBULASTRA_LANE VU splatU(uint32_t x) { return VU{} + x; }

NEBULASTRA_LANE VF sqrtLanes(VF x) {
#if NEBULASTRA_LANES == 1
    return VF{__builtin_sqrtf(x[0])}; // the correctly rounded square root instruction
#elif NEBULASTRA_LANES == 16
    return (VF)_mm512_maskz_sqrt_ps(0xFFFF, (__m512)x); // the unmasked form trips -Wmaybe-uninitialized
#elif NEBULASTRA_LANES >= 8
    return (VF)_mm256_sqrt_ps((__m256)x);
#else
    return (VF)_mm_sqrt_ps((__m128)x);
#endif
}

/// a * scale + c, for a scale that makes the product exact (a power of two, with no underflow or
/// overflow): then only the addition rounds, so the fused multiply-add, where the instruction set
/// has one, gives the bits of a multiply followed by an add in one instruction.
NEBULASTRA_LANE VF addExactProduct(VF a, float scale, float c) {
#if NEBULASTRA_LANES < 8
    return a * scale + c;
#elif NEBULASTRA_LANES == 16
    return (VF)_mm512_fmadd_ps((__m512)a, _mm512_set1_ps(scale), _mm512_set1_ps(c));
#else
    return (VF)_mm256_fmadd_ps((__m256)a, _mm256_set1_ps(scale), _mm256_set1_ps(c));
#endif
}

#if NEBULASTRA_LANES >= 8
/// The largest integer not above x, lane by lane (the rounding instruction of AVX and later).
NEBULASTRA_LANE VF floorLanes(VF x) {
#if NEBULASTRA_LANES == 16
    return (VF)_mm512_maskz_roundscale_ps(0xFFFF, (__m512)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#else
    return (VF)_mm256_round_ps((__m256)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#endif
}
#endif

/// True when any lane of the mask is set.
NEBULASTRA_LANE bool any(VM m) {
#if NEBULASTRA_LANES == 1
    return m[0] != 0;
#elif NEBULASTRA_LANES == 16
    return _mm512_test_epi32_mask((__m512i)m, (__m512i)m) != 0;
#elif NEBULASTRA_LANES >= 8
    return _mm256_movemask_ps((__m256)m) != 0;
#else
    return _mm_movemask_ps((__m128)m) != 0;
#endif
}

/// Bit l set where lane l of the mask is set.
NEBULASTRA_LANE uint32_t laneBits(VM m) {
#if NEBULASTRA_LANES == 1
    return m[0] != 0 ? 1u : 0u;
#elif NEBULASTRA_LANES == 16
    return _mm512_test_epi32_mask((__m512i)m, (__m512i)m);
#elif NEBULASTRA_LANES >= 8
    return static_cast<uint32_t>(_mm256_movemask_ps((__m256)m));
#elif NEBULASTRA_LANES == 4
    return static_cast<uint32_t>(_mm_movemask_ps((__m128)m));
#else
    uint32_t bits = 0;
    for (int l = 0; l < kLanes; ++l) bits |= (m[l] != 0 ? 1u : 0u) << l;
    return bits;
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
#if NEBULASTRA_LANES == 16
    return (VU)_mm512_maskz_permutexvar_epi32(0xFFFF, _mm512_set1_epi32(q), (__m512i)v); // in registers
#elif NEBULASTRA_LANES >= 8
    return (VU)_mm256_permutevar8x32_epi32((__m256i)v, _mm256_set1_epi32(q));
#else
    return splatU(v[q]);
#endif
}

/// Lane l of v[index[l]]: a lane permutation (index below kLanes).
NEBULASTRA_LANE VU permuteLanes(VU v, VU index) {
#if NEBULASTRA_LANES == 1
    (void)index;
    return v;
#elif NEBULASTRA_LANES == 16
    return (VU)_mm512_maskz_permutexvar_epi32(0xFFFF, (__m512i)index, (__m512i)v);
#elif NEBULASTRA_LANES >= 8
    return (VU)_mm256_permutevar8x32_epi32((__m256i)v, (__m256i)index);
#else
    VU out;
    for (int l = 0; l < kLanes; ++l) out[l] = v[index[l]];
    return out;
#endif
}

NEBULASTRA_LANE VF select(VM m, VF a, VF b) { return m ? a : b; }
NEBULASTRA_LANE VU selectU(VM m, VU a, VU b) { return m ? a : b; }

NEBULASTRA_LANE VU bitsOf(VF x) { return (VU)x; }
NEBULASTRA_LANE VF floatOf(VU x) { return (VF)x; }

NEBULASTRA_LANE VF absLanes(VF x) { return (VF)((VU)x & 0x7FFFFFFFu); }

/// Truncation toward zero; the caller keeps the values inside the int32 range.
NEBULASTRA_LANE VI truncateToInt(VF x) { return __builtin_convertvector(x, VI); }
NEBULASTRA_LANE VF toFloat(VI x) { return __builtin_convertvector(x, VF); }

/// std::max(a, b) = (a < b) ? b : a and std::min(a, b) = (b < a) ? b : a lane by lane, with the
/// same answer when an operand is not a number.
NEBULASTRA_LANE VF maxLanes(VF a, VF b) { return a < b ? b : a; }
NEBULASTRA_LANE VF minLanes(VF a, VF b) { return b < a ? b : a; }
NEBULASTRA_LANE VF clampLanes(VF x, float lo, float hi) {
    return minLanes(maxLanes(x, splat(lo)), splat(hi));
}
