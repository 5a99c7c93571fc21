// Correctly rounded single-precision exp, pow, cbrt, sin and cos in plain double arithmetic.
//
// Method. Each function reduces its argument with exact or double-double steps, evaluates a short
// Taylor polynomial on the small remainder, and carries the result as an unevaluated sum s + e of
// two doubles (relative error around 2^-60 or better). The final rounding to float is then decided
// from s + e: s alone decides unless s sits exactly on the halfway point between two floats, where
// the sign of e does. Exact results that lie on such a halfway point (possible for pow only) are
// found by exact arithmetic; cbrt decides near-halfway cases by cubing the halfway point exactly.
//
// Building blocks (no fused multiply-add anywhere; the build uses -ffp-contract=off):
//   twoSum / fastTwoSum: a + b = s + e exactly.
//   twoProd (Dekker with Veltkamp splitting): a * b = p + e exactly.

#include "render/math/elementary.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace nebulastra::fmath {
namespace {

#include "render/math/elementary_tables.inc"

struct DD {
    double hi;
    double lo;
};

inline DD twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    const double e = (a - (s - bb)) + (b - bb);
    return {s, e};
}

// Requires |a| >= |b| (or a == 0).
inline DD fastTwoSum(double a, double b) {
    const double s = a + b;
    const double e = b - (s - a);
    return {s, e};
}

inline void veltkampSplit(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a; // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

inline DD twoProd(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    veltkampSplit(a, ah, al);
    veltkampSplit(b, bh, bl);
    const double e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
    return {p, e};
}

inline std::uint32_t floatBits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

inline float floatFromBits(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

inline std::uint64_t doubleBits(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

inline double doubleFromBits(std::uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

/// 2^n for n within the normal double range.
inline double pow2(int n) { return doubleFromBits(static_cast<std::uint64_t>(n + 1023) << 52); }

/// Nearest integer of |v| < 2^51 as a double (ties to even).
inline double roundToInteger(double v) {
    constexpr double kShifter = 6755399441055744.0; // 1.5 * 2^52
    return (v + kShifter) - kShifter;
}

constexpr float kInf = std::numeric_limits<float>::infinity();

/// The float next to f (a finite float) in the direction of the sign of dir.
inline float neighbour(float f, double dir) {
    if (f == 0.0f) return dir > 0.0 ? floatFromBits(1u) : floatFromBits(0x80000001u);
    const std::uint32_t u = floatBits(f);
    return ((f > 0.0f) == (dir > 0.0)) ? floatFromBits(u + 1u) : floatFromBits(u - 1u);
}

/// Rounds the exact value s + e (|e| at most half an ulp of s in double) to the nearest float.
/// When nearHalfway is given it is set if s + e lies within 2^-45 (relative) of a halfway point
/// between two floats, so a caller with exact cases can check them.
float roundToFloat(double s, double e, bool* nearHalfway = nullptr) {
    const float f = static_cast<float>(s);
    const double fd = f;
    if (nearHalfway) *nearHalfway = false;
    if (f == kInf || f == -kInf) {
        // Only the value just below the overflow threshold (2^128 - 2^103), rounded up to it by
        // ties to even, can still belong to the largest float.
        const double threshold = 0x1.ffffffp+127;
        if ((s == threshold && e < 0.0) || (s == -threshold && e > 0.0)) {
            return s > 0.0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
        }
        return f;
    }
    if (fd == s) return f;   // e is far below half an ulp of the float
    const double d = s - fd; // exact: s lies within half a float ulp of f
    const float g = neighbour(f, d);
    const double half = (static_cast<double>(g) - fd) * 0.5; // exact, same sign as d
    if (nearHalfway) {
        const double distance = (half - d) - e; // signed distance of s + e below the halfway point
        *nearHalfway = std::fabs(distance) <= 0x1.0p-45 * std::fabs(s);
    }
    if (d == half && e != 0.0 && ((e > 0.0) == (d > 0.0))) return g; // halfway, pushed past it
    return f;
}

// ---- exp and exp2 -------------------------------------------------------------------------------

/// 2^(k/64) * e^(rh + rl) as s + e, for |rh + rl| <= ln2/128 (a little more is fine) and
/// k / 64 within the double exponent range.
DD expKernel(int k, double rh, double rl) {
    const int j = k & 63;
    const int m = (k - j) / 64;
    const double th = kExp2Table[j][0];
    const double tl = kExp2Table[j][1];
    // e^r - 1 - r, with the r^2 / 2 cross term of rl.
    const double q =
        rh * rh *
            (0.5 + rh * (1.0 / 6.0 +
                         rh * (1.0 / 24.0 + rh * (1.0 / 120.0 + rh * (1.0 / 720.0 + rh * (1.0 / 5040.0)))))) +
        rh * rl;
    const DD p = twoProd(th, rh);
    const DD s = fastTwoSum(th, p.hi);
    const double tail = ((s.lo + p.lo) + th * (rl + q)) + (tl + tl * rh);
    const DD r = fastTwoSum(s.hi, tail);
    const double scale = pow2(m);
    return {r.hi * scale, r.lo * scale};
}

// ---- log2 (for pow) ----------------------------------------------------------------------------

/// log2(x) as hi + lo for a finite float x > 0, accurate to about 2^-70 absolute and 2^-90
/// relative near x = 1.
DD log2Kernel(float x) {
    std::uint32_t ix = floatBits(x);
    int adjust = 0;
    if (ix < 0x00800000u) { // subnormal: scale into the normal range first
        ix = floatBits(x * 8388608.0f);
        adjust = -23;
    }
    const std::uint32_t tmp = ix - 0x3f330000u;
    const int i = static_cast<int>((tmp >> 16) & 127u);
    const int e = static_cast<int>(static_cast<std::int32_t>(tmp) >> 23) + adjust;
    const double z = floatFromBits(ix - (tmp & 0xff800000u)); // in [0.69921875, 1.3984375)
    const double invc = kLog2Table[i][0];
    const double r = z * invc - 1.0; // exact: z * invc has at most 45 bits and lies near 1

    // log(1 + r) = r - r^2/2 + r^3 P(r), with r - r^2/2 as an exact pair.
    const DD r2 = twoProd(r, r);
    const DD a = fastTwoSum(r, -0.5 * r2.hi);
    const double poly =
        r * r2.hi *
        (1.0 / 3.0 +
         r * (-0.25 +
              r * (0.2 + r * (-1.0 / 6.0 + r * (1.0 / 7.0 + r * (-0.125 + r * (1.0 / 9.0 + r * (-0.1))))))));
    const double b = a.lo + (-0.5 * r2.lo + poly);

    // Times 1/ln2.
    const DD p = twoProd(a.hi, kInvLn2[0]);
    const double pl = p.lo + (a.hi * kInvLn2[1] + b * kInvLn2[0]);

    // e + (-log2(invc)) + log2(1 + r).
    const DD u = twoSum(static_cast<double>(e), kLog2Table[i][1]);
    const DD v = twoSum(u.hi, p.hi);
    const double low = ((u.lo + v.lo) + pl) + kLog2Table[i][2];
    return twoSum(v.hi, low);
}

// 0: not an integer, 1: odd integer, 2: even integer.
int integerClass(float y) {
    const float ay = y < 0.0f ? -y : y;
    if (!(ay < 16777216.0f)) return 2; // from 2^24 on every float is an even integer
    const std::int32_t n = static_cast<std::int32_t>(y);
    if (static_cast<float>(n) != y) return 0;
    return (n & 1) ? 1 : 2;
}

/// If x^y (x > 0, finite) is exactly a dyadic number of at most 53 bits, writes it to result.
/// Only such results can lie exactly halfway between two floats; everything else is irrational
/// or needs more bits, so the rounded approximation decides it.
bool exactPower(double x, float y, double& result) {
    if (y < 0.0f) return false;       // 1/x^n is dyadic only for powers of two, which are never halfway
    if (y >= 0x1.0p62f) return false; // x^y finite and not 1 bounds y far below this
    double n = y;
    int halvings = 0;
    while (static_cast<double>(static_cast<std::int64_t>(n)) != n) { // y = n / 2^halvings
        n *= 2.0;
        ++halvings;
    }
    for (int i = 0; i < halvings; ++i) {
        const double root = std::sqrt(x);
        const DD check = twoProd(root, root);
        if (check.hi != x || check.lo != 0.0) return false;
        x = root;
    }
    std::int64_t count = static_cast<std::int64_t>(n);
    double acc = 1.0;
    double base = x;
    while (count != 0) {
        if (count & 1) {
            const DD p = twoProd(acc, base);
            if (p.lo != 0.0) return false;
            acc = p.hi;
        }
        count >>= 1;
        if (count != 0) {
            const DD p = twoProd(base, base);
            if (p.lo != 0.0) return false;
            base = p.hi;
        }
    }
    result = acc;
    return true;
}

// ---- sin and cos ---------------------------------------------------------------------------------

inline std::uint64_t twoOverPiWindow(int bit) {
    const int w = bit >> 6;
    const int s = bit & 63;
    if (s == 0) return kTwoOverPiBits[w];
    return (kTwoOverPiBits[w] << s) | (kTwoOverPiBits[w + 1] >> (64 - s));
}

/// Writes x = (N + f) * pi/32 + 2 pi * integer with |f| <= 1/2, returns N mod 64 and sets
/// rh + rl = f * pi/32 (to about 2^-120 absolute, whatever the size of x). x is finite.
int reduce(float x, double& rh, double& rl) {
    const float ax = x < 0.0f ? -x : x;
    if (ax < 0.048828125f) { // below pi/64: nothing to reduce
        rh = x;
        rl = 0.0;
        return 0;
    }
    // ax = m * 2^e with a 24-bit integer m. x * 32/pi = m * 2^(e+4) * (2/pi); bits of 2/pi before
    // position e - 1 (counting from 1 after the binary point) only add multiples of 64, so a
    // 192-bit window A from there gives x * 32/pi mod 64 = (m * A mod 2^192) * 2^-186.
    const std::uint32_t bits = floatBits(ax);
    const std::uint64_t m = (bits & 0x7fffffu) | 0x800000u;
    const int e = static_cast<int>(bits >> 23) - 150;
    const int first = (e - 1) - 1 + 64; // 0-based bit offset, after the leading zero word
    using U128 = unsigned __int128;
    const U128 p2 = static_cast<U128>(m) * twoOverPiWindow(first + 128);
    const U128 p1 = static_cast<U128>(m) * twoOverPiWindow(first + 64);
    const std::uint64_t p0 = m * twoOverPiWindow(first);
    const std::uint64_t w1 = static_cast<std::uint64_t>(p2 >> 64) + static_cast<std::uint64_t>(p1);
    const std::uint64_t carry = w1 < static_cast<std::uint64_t>(p1) ? 1u : 0u;
    const std::uint64_t w0 = static_cast<std::uint64_t>(p1 >> 64) + p0 + carry;
    const U128 fixed = (static_cast<U128>(w0) << 64) | w1; // 6 integer bits, 122 fraction bits
    int n = static_cast<int>(((fixed + (static_cast<U128>(1) << 121)) >> 122) & 63u);
    const U128 frac = fixed << 6; // as a signed number: f * 2^128, f in [-1/2, 1/2)
    const bool negative = (frac >> 127) != 0;
    U128 mag = negative ? (~frac + 1) : frac;

    double fh = 0.0, fl = 0.0;
    if (mag != 0) {
        int lz = 0;
        const std::uint64_t top = static_cast<std::uint64_t>(mag >> 64);
        lz = top != 0 ? __builtin_clzll(top) : 64 + __builtin_clzll(static_cast<std::uint64_t>(mag));
        mag <<= lz; // leading bit at 127
        const double h53 = static_cast<double>(static_cast<std::uint64_t>(mag >> 75));
        const double l53 = static_cast<double>(static_cast<std::uint64_t>(mag >> 22) & ((1ull << 53) - 1));
        fh = h53 * pow2(75 - 128 - lz);
        fl = l53 * pow2(22 - 128 - lz);
        if (negative) {
            fh = -fh;
            fl = -fl;
        }
    }
    const DD p = twoProd(fh, kPiOver32[0]);
    const double t = p.lo + (fh * kPiOver32[1] + fl * kPiOver32[0]);
    const DD r = fastTwoSum(p.hi, t);
    rh = r.hi;
    rl = r.lo;
    if (x < 0.0f) {
        rh = -rh;
        rl = -rl;
        n = (64 - n) & 63;
    }
    return n;
}

/// sin(a pi/32) cos(r) + sin(b pi/32) sin(r), r = rh + rl, |r| <= pi/64, as s + e.
DD sinCosKernel(int a, int b, double rh, double rl) {
    const double sah = kSinTable[a][0], sal = kSinTable[a][1];
    const double sbh = kSinTable[b][0], sbl = kSinTable[b][1];
    const DD q = twoProd(rh, rh);
    const double r2 = q.hi;
    // sin(r) - r and cos(r) - 1 + r^2/2 (Taylor, truncation below 2^-65 relative).
    const double sinTail =
        rh * r2 *
        (-1.0 / 6.0 +
         r2 * (1.0 / 120.0 + r2 * (-1.0 / 5040.0 + r2 * (1.0 / 362880.0 + r2 * (-1.0 / 39916800.0)))));
    const double cosTail =
        (-0.5 * q.lo +
         r2 * r2 * (1.0 / 24.0 + r2 * (-1.0 / 720.0 + r2 * (1.0 / 40320.0 + r2 * (-1.0 / 3628800.0))))) -
        rh * rl;
    const DD p = twoProd(sbh, rh);
    const DD c = twoProd(sah, -0.5 * r2);
    const DD s1 = twoSum(sah, p.hi);
    const DD s2 = twoSum(s1.hi, c.hi);
    const double tail = (((s1.lo + s2.lo) + (p.lo + c.lo)) + (sal + sal * (-0.5 * r2))) +
                        ((sah * cosTail + sbh * (rl + sinTail)) + sbl * rh);
    return twoSum(s2.hi, tail);
}

} // namespace

float exp(float x) {
    const double xd = x;
    if (x != x) return x + x;
    if (xd >= 89.0) return kInf;  // above ln(FLT_MAX) = 88.72284: overflow
    if (xd < -104.0) return 0.0f; // below half the smallest subnormal (also -inf)
    const double kd = roundToInteger(xd * k64OverLn2);
    const int k = static_cast<int>(kd);
    const double a = xd - kd * kLn2Over64Hi; // exact: k * hi has at most 53 bits, a is small
    const double b = kd * kLn2Over64Lo;
    const DD r = twoSum(a, -b);
    const DD v = expKernel(k, r.hi, r.lo);
    return roundToFloat(v.hi, v.lo);
}

float pow(float x, float y) {
    if (y == 0.0f || x == 1.0f) return 1.0f;
    if (x != x || y != y) return x + y;
    const int yClass = integerClass(y);
    const bool xNegative = floatBits(x) >> 31;
    if (x == 0.0f) {
        const bool negative = xNegative && yClass == 1;
        if (y < 0.0f) return negative ? -kInf : kInf;
        return negative ? -0.0f : 0.0f;
    }
    const float ax = xNegative ? -x : x;
    if (y == kInf || y == -kInf) {
        if (ax == 1.0f) return 1.0f;
        return ((ax < 1.0f) == (y < 0.0f)) ? kInf : 0.0f;
    }
    if (ax == kInf) {
        const bool negative = xNegative && yClass == 1;
        if (y < 0.0f) return negative ? -0.0f : 0.0f;
        return negative ? -kInf : kInf;
    }
    if (xNegative && yClass == 0) return std::numeric_limits<float>::quiet_NaN();
    const bool negative = xNegative && yClass == 1;

    // x^y = 2^(y log2 x), y log2 x as the pair ph + pl.
    const DD l = log2Kernel(ax);
    const DD yl = twoProd(static_cast<double>(y), l.hi);
    const double ph = yl.hi;
    const double pl = yl.lo + static_cast<double>(y) * l.lo;
    if (ph > 129.0) return negative ? -kInf : kInf;
    if (ph < -151.0) return negative ? -0.0f : 0.0f;
    const double kd = roundToInteger(ph * 64.0);
    const double f = ph - kd * 0.015625; // exact
    const DD r0 = twoProd(f, kLn2[0]);
    const double rt = r0.lo + (f * kLn2[1] + pl * kLn2[0]);
    const DD r = fastTwoSum(r0.hi, rt);
    const DD v = expKernel(static_cast<int>(kd), r.hi, r.lo);
    bool nearHalfway = false;
    float result = roundToFloat(v.hi, v.lo, &nearHalfway);
    if (nearHalfway) {
        double exact;
        if (exactPower(static_cast<double>(ax), y, exact)) result = static_cast<float>(exact);
    }
    return negative ? -result : result;
}

float cbrt(float x) {
    const std::uint32_t bits = floatBits(x);
    if ((bits & 0x7f800000u) == 0x7f800000u || x == 0.0f) return x + x; // NaN, +-inf, +-0
    const bool negative = bits >> 31;
    const double ax = negative ? -static_cast<double>(x) : static_cast<double>(x);
    // ax = z * 2^(3q) with z in [1, 8).
    const std::uint64_t db = doubleBits(ax);
    const int exponent = static_cast<int>(db >> 52) - 1023;
    int q = exponent / 3;
    int rem = exponent - 3 * q;
    if (rem < 0) {
        rem += 3;
        --q;
    }
    const double z =
        doubleFromBits((db & 0x000fffffffffffffull) | (static_cast<std::uint64_t>(1023 + rem) << 52));
    // First guess from the exponent and leading mantissa bits (within about 6%), then Halley's
    // iteration y <- y (y^3 + 2z) / (2y^3 + z), which triples the correct bits each time.
    const std::uint64_t one = doubleBits(1.0);
    double y = doubleFromBits((doubleBits(z) - one) / 3 + one);
    for (int i = 0; i < 3; ++i) {
        const double y3 = (y * y) * y;
        y = y * ((y3 + 2.0 * z) / ((y3 + y3) + z));
    }
    // y is within a few double ulps of cbrt(z) in [1, 2). Near a halfway point between two floats
    // decide by cubing that point exactly (it has 25 bits: its square is exact, the cube a pair).
    bool nearHalfway = false;
    float root = roundToFloat(y, 0.0, &nearHalfway);
    if (nearHalfway) {
        const float other = neighbour(root, y - static_cast<double>(root) >= 0.0 ? 1.0 : -1.0);
        const double mid = (static_cast<double>(root) + static_cast<double>(other)) * 0.5;
        const double mid2 = mid * mid; // exact
        const DD cube = twoProd(mid2, mid);
        const double diff = (cube.hi - z) + cube.lo; // sign of mid^3 - z
        const bool rootBelow = root < other;
        if (diff > 0.0)
            root = rootBelow ? root : other; // cbrt(z) below mid
        else if (diff < 0.0)
            root = rootBelow ? other : root; // cbrt(z) above mid
    }
    const float scaled = static_cast<float>(static_cast<double>(root) * pow2(q)); // exact
    return negative ? -scaled : scaled;
}

float sin(float x) {
    if ((floatBits(x) & 0x7f800000u) == 0x7f800000u) return x - x; // NaN, and NaN for +-inf
    if (x == 0.0f) return x;                                       // keeps the sign of zero
    double rh, rl;
    const int n = reduce(x, rh, rl);
    const DD v = sinCosKernel(n, (n + 16) & 63, rh, rl);
    return roundToFloat(v.hi, v.lo);
}

float cos(float x) {
    if ((floatBits(x) & 0x7f800000u) == 0x7f800000u) return x - x;
    double rh, rl;
    const int n = reduce(x, rh, rl);
    const DD v = sinCosKernel((n + 16) & 63, (n + 32) & 63, rh, rl);
    return roundToFloat(v.hi, v.lo);
}

} // namespace nebulastra::fmath
