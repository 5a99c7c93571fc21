#pragma once
// The renderer's own exp, pow, cbrt, sin and cos for single precision.
//
// Why not the C library's: glibc and mingw-w64 round these functions differently in the last bit
// (mingw evaluates some of them on the x87 unit, whose result can even depend on the precision
// setting of the host process), so the Windows plug-in drew frames that differed from the native
// build's. These versions use nothing but IEEE double arithmetic in SSE2 scalar operations (no
// long double, no x87, no fused multiply-add, no library maths call; std::sqrt is a correctly
// rounded instruction), so every build computes the same bits.
//
// Each result is meant to be correctly rounded (round to nearest, ties to even, of the exact
// value): the functions evaluate in double-double arithmetic to far more than 24 bits and round
// once at the end. Special values follow IEEE 754 / C99 Annex F. All five are pure, reentrant and
// allocation-free. The worst errors below were measured by bench/math_accuracy.cpp (see
// bench/README.md, "Elementary functions").

namespace nebulastra::fmath {

/// e^x. Overflows to +inf above 88.72284, underflows through the subnormals to +0 below -103.97.
/// Measured worst error: 0.5 ulp, correctly rounded for all 2^32 float inputs (exhaustive check).
float exp(float x);

/// x^y with the full C99 special-case table (pow(x, +-0) = 1 and pow(1, y) = 1 even for NaN,
/// negative x with integral y, signed zeros and infinities). Exact cases (x^y representable, or
/// exactly halfway between two floats) are recognised and rounded exactly.
/// Measured worst error: 0.5 ulp, correctly rounded on all of 210 million random and structured
/// inputs (results across the whole range, x near 1, integral y, 129,351 exact halfway cases);
/// not exhaustive over the 2^64 argument pairs.
float pow(float x, float y);

/// Cube root, odd in x; exact cubes give exact roots.
/// Measured worst error: 0.5 ulp, correctly rounded for all 2^32 float inputs (exhaustive check).
float cbrt(float x);

/// Sine of x in radians, with the argument reduced exactly (a 448-bit 2/pi) for any float x.
/// Measured worst error: 0.5 ulp, correctly rounded for all 2^32 float inputs (exhaustive check).
float sin(float x);

/// Cosine of x in radians, reduced like sin.
/// Measured worst error: 0.5 ulp, correctly rounded for all 2^32 float inputs (exhaustive check).
float cos(float x);

} // namespace nebulastra::fmath
