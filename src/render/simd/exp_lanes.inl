// e^x over lanes with exactly the bits of fmath::exp, the correctly rounded scalar function.
// Included by packet_kernel.inl inside its instruction-set namespace, after lanes.h; it uses only
// kLanes, VF, VI, VM, any() and NEBULASTRA_LANE from there, so it compiles at any lane count
// (16, 8, 4 and 1).
//
// Why this gives the scalar bits: fmath::exp returns the float nearest to e^x. The lanes compute
// e^x in double to a proven relative error E (below), and the double-to-float conversion rounds
// that to the nearest float. The two roundings can only differ when a halfway point between two
// floats lies between the double result y and the exact e^x, so within E * e^x of y. Such lanes,
// found from the bits of y, and the lanes outside the range where y and its float are normal
// numbers, take the scalar function instead. Everything else is plain IEEE double arithmetic,
// lane by lane, with no fused multiply-add (-ffp-contract=off) and no intrinsic.
//
// Method, per lane:
//   k = nearest integer to x / ln2 (rounded by adding and subtracting 1.5 * 2^52; any integer
//       near x / ln2 would do), r = (x - k * ln2Hi) - k * ln2Lo with |r| <= 0.35;
//   e^r by its Taylor polynomial to degree 13 in Horner form;
//   y = e^r * 2^k by adding k to the exponent field (exact: y stays a normal double).
//
// Error bound of y against e^x (u = 2^-53):
//   reduction: ln2Hi has 37 significant bits, so k * ln2Hi is exact for |k| < 2^16 (here |k| <=
//     128), and x - k * ln2Hi is exact (Sterbenz: x lies within a factor 2 of k * ln2Hi when
//     k != 0). |k * ln2Lo| < 2^-31 rounds with error < 2^-85, ln2Hi + ln2Lo differs from ln2 by
//     < 2^-93 (k times that < 2^-85), and the final subtraction (|r| < 0.5) errs by at most 2^-55.
//     So r is within 2^-54.9 of x - k ln2, a relative error of e^r below 2^-54.8.
//   truncation: e^0.35 * 0.35^14 / 14! < 6.7e-18 against e^r >= 0.70: relative < 2^-56.5.
//   Horner: with |r| <= 0.35 each step q_n = c_n + r * q_(n+1) adds at most u |q_n| (sum), u |r
//     q_(n+1)| (product) and u |c_n| (coefficient rounding; 1, 1 and 1/2 are exact), and carries
//     the previous error times 0.35. Running that recurrence with |q_n| bounded by the sums of
//     |c_i| 0.35^(i-n) gives an absolute error below 2.43 u, relative below 2.43 u / 0.70 < 2^-51.2.
//   Together E < 2^-51.
// Halfway test: y lies in [2^e, 2^(e+1)) with a double ulp of 2^(e-52); a halfway point between
// floats has the 29 bits below the float's mantissa equal to 1 followed by 28 zeros. A halfway
// point within E * e^x <= E / (1 - E) * y < 2^-51 * 2^(e+1) of y is within 4 double ulps of it,
// so a lane takes the scalar path when those 29 bits are within kNearHalfway = 64 of the pattern:
// a wide margin (it would cover an error bound of 2^-47), at the cost of about one lane in four
// million.
// Range: for -87.33 <= x < 88.7 the float result is normal and finite (e^-87.3365 = 2^-126,
// e^88.7228 = the largest float), so the double-to-float conversion is the only rounding. Below
// -104 fmath::exp gives +0 (as here); NaN, larger x and the float subnormal range in between go
// to the scalar function.

/// The vector part of expLanes over one register set of N lanes (F and I N floats and integers):
/// e^x where the double result rounds safely; `scalar` gets the lanes of `mask` that need the
/// scalar function.
template <class F, class I, int N>
NEBULASTRA_LANE F expLanesVector(F x, I mask, I& scalar) {
    typedef double ExpLanesDouble __attribute__((vector_size(N * 8)));
    typedef uint64_t ExpLanesBits __attribute__((vector_size(N * 8)));
    constexpr double kInvLn2 = 0x1.71547652b82fep+0;
    constexpr double kLn2Hi = 0x1.62e42fefa0000p-1; // 37 significant bits
    constexpr double kLn2Lo = 0x1.cf79abc9e3b3ap-40;
    constexpr double kShifter = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to an integer
    constexpr uint64_t kShifterBits = 0x4338000000000000u;
    constexpr int32_t kNearHalfway = 64;

    const ExpLanesDouble xd = __builtin_convertvector(x, ExpLanesDouble);
    const ExpLanesDouble shifted = xd * kInvLn2 + kShifter;
    const ExpLanesDouble kd = shifted - kShifter;
    // k in two's complement, from the low mantissa bits of the shifted sum.
    const ExpLanesBits k = (ExpLanesBits)shifted - kShifterBits;
    const ExpLanesDouble r = (xd - kd * kLn2Hi) - kd * kLn2Lo;

    // Taylor coefficients 1/n!, n = 13 down to 0.
    ExpLanesDouble p = r * (1.0 / 6227020800.0) + (1.0 / 479001600.0);
    p = r * p + (1.0 / 39916800.0);
    p = r * p + (1.0 / 3628800.0);
    p = r * p + (1.0 / 362880.0);
    p = r * p + (1.0 / 40320.0);
    p = r * p + (1.0 / 5040.0);
    p = r * p + (1.0 / 720.0);
    p = r * p + (1.0 / 120.0);
    p = r * p + (1.0 / 24.0);
    p = r * p + (1.0 / 6.0);
    p = r * p + 0.5;
    p = r * p + 1.0;
    p = r * p + 1.0;
    const ExpLanesBits yBits = (ExpLanesBits)p + (k << 52); // times 2^k

    // The 29 bits the float conversion drops, as signed distance from 1 followed by 28 zeros (in
    // 32-bit lanes, where every instruction set compares).
    const I halfwayDistance = __builtin_convertvector(yBits & 0x1FFFFFFFu, I) - (1 << 28);
    const I nearHalfway = (halfwayDistance >= -kNearHalfway) & (halfwayDistance <= kNearHalfway);

    const F one = F{} + 1.0f;
    const I inRange = (x >= -87.33f) & (x < 88.7f); // false for NaN
    const I underflow = x < -104.0f;                // fmath::exp's +0, also for -inf
    F out = __builtin_convertvector((ExpLanesDouble)yBits, F);
    out = inRange ? out : one;
    out = underflow ? F{} : out;
    out = mask ? out : one;
    scalar = mask & ~underflow & (~inRange | nearHalfway);
    return out;
}

static VF expLanes(VF x, VM mask) {
    VM scalar;
#if defined(NEBULASTRA_LANE_PAIR)
    VF out = {expLanesVector<RF, RI, kRegisterLanes>(x.lo, mask.lo, scalar.lo),
              expLanesVector<RF, RI, kRegisterLanes>(x.hi, mask.hi, scalar.hi)};
#else
    VF out = expLanesVector<VF, VI, kLanes>(x, mask, scalar);
#endif
    if (any(scalar)) {
        for (int l = 0; l < kLanes; ++l) {
            if (scalar[l]) out[l] = fmath::exp(x[l]);
        }
    }
    return out;
}
