#pragma once
// Lanes held in two native vectors: a LanePair<H, E> is the lanes of H (the low half) followed by
// as many again (the high half), with the arithmetic, bitwise and comparison operators of GCC's
// vector extensions applied to each half. This lets an instruction set run packets twice its
// register width with every operation still the one instruction of its own width: GCC's own
// vectors wider than the registers lower comparisons and selections lane by lane.
//
// Included by lanes.h inside the kernel's instruction-set namespace (the standard headers it uses
// come before that namespace opens).

template <class H, class E>
struct LanePair {
    H lo, hi;

    typedef E AliasedElement __attribute__((may_alias));
    E& operator[](int l) { return reinterpret_cast<AliasedElement*>(this)[l]; }
    E operator[](int l) const { return reinterpret_cast<const AliasedElement*>(this)[l]; }

    /// The same bits as another pair of the same size (as a cast between GCC's vectors).
    template <class K, class F>
    explicit operator LanePair<K, F>() const {
        return {(K)lo, (K)hi};
    }
};

template <class S>
using IfScalar = typename std::enable_if<std::is_arithmetic<S>::value, int>::type;

#define NEBULASTRA_PAIR_OPERATOR(op)                                                                         \
    template <class H, class E>                                                                              \
    NEBULASTRA_LANE LanePair<H, E> operator op(LanePair<H, E> a, LanePair<H, E> b) {                         \
        return {a.lo op b.lo, a.hi op b.hi};                                                                 \
    }                                                                                                        \
    template <class H, class E, class S, IfScalar<S> = 0>                                                    \
    NEBULASTRA_LANE LanePair<H, E> operator op(LanePair<H, E> a, S b) {                                      \
        return {a.lo op b, a.hi op b};                                                                       \
    }                                                                                                        \
    template <class H, class E, class S, IfScalar<S> = 0>                                                    \
    NEBULASTRA_LANE LanePair<H, E> operator op(S a, LanePair<H, E> b) {                                      \
        return {a op b.lo, a op b.hi};                                                                       \
    }                                                                                                        \
    template <class H, class E, class T>                                                                     \
    NEBULASTRA_LANE LanePair<H, E>& operator op##=(LanePair<H, E>& a, T b) {                                 \
        return a = a op b;                                                                                   \
    }
NEBULASTRA_PAIR_OPERATOR(+)
NEBULASTRA_PAIR_OPERATOR(-)
NEBULASTRA_PAIR_OPERATOR(*)
NEBULASTRA_PAIR_OPERATOR(/)
NEBULASTRA_PAIR_OPERATOR(%)
NEBULASTRA_PAIR_OPERATOR(&)
NEBULASTRA_PAIR_OPERATOR(|)
NEBULASTRA_PAIR_OPERATOR(^)
NEBULASTRA_PAIR_OPERATOR(<<)
NEBULASTRA_PAIR_OPERATOR(>>)
#undef NEBULASTRA_PAIR_OPERATOR

// A comparison gives a lane mask: the halves' own comparison results (signed integer lanes).
#define NEBULASTRA_PAIR_COMPARISON(op)                                                                       \
    template <class H, class E>                                                                              \
    NEBULASTRA_LANE auto operator op(LanePair<H, E> a, LanePair<H, E> b)                                     \
        ->LanePair<decltype(a.lo op b.lo), int32_t> {                                                        \
        return {a.lo op b.lo, a.hi op b.hi};                                                                 \
    }                                                                                                        \
    template <class H, class E, class S, IfScalar<S> = 0>                                                    \
    NEBULASTRA_LANE auto operator op(LanePair<H, E> a, S b)->LanePair<decltype(a.lo op b), int32_t> {        \
        return {a.lo op b, a.hi op b};                                                                       \
    }                                                                                                        \
    template <class H, class E, class S, IfScalar<S> = 0>                                                    \
    NEBULASTRA_LANE auto operator op(S a, LanePair<H, E> b)->LanePair<decltype(a op b.lo), int32_t> {        \
        return {a op b.lo, a op b.hi};                                                                       \
    }
NEBULASTRA_PAIR_COMPARISON(<)
NEBULASTRA_PAIR_COMPARISON(<=)
NEBULASTRA_PAIR_COMPARISON(>)
NEBULASTRA_PAIR_COMPARISON(>=)
NEBULASTRA_PAIR_COMPARISON(==)
NEBULASTRA_PAIR_COMPARISON(!=)
#undef NEBULASTRA_PAIR_COMPARISON

template <class H, class E>
NEBULASTRA_LANE LanePair<H, E> operator-(LanePair<H, E> a) {
    return {-a.lo, -a.hi};
}
template <class H, class E>
NEBULASTRA_LANE LanePair<H, E> operator~(LanePair<H, E> a) {
    return {~a.lo, ~a.hi};
}
