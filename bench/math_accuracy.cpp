// Accuracy checker for the renderer's elementary functions (nebulastra::fmath): not a CI test,
// a tool to run by hand after touching src/render/math (see bench/README.md).
//
//   nebulastra_math_accuracy exp|cbrt|sin|cos [--threads N] [--stride S]
//       every float bit pattern (or every S-th), against the x87 long double function
//   nebulastra_math_accuracy pow [--count N] [--seed S] [--threads N]
//       N inputs in each of several families (random bits, results across the whole range,
//       x near 1, integral and half-integral y, negative bases, exact and halfway cases)
//
// The reference is glibc's long double function (64-bit mantissa, within about one of its own
// ulps). That decides the correctly rounded float unless the reference lies within 2^-60
// (relative) of a halfway point between two floats: such inputs are counted as "undecided" and
// printed, to be settled with a multiple-precision tool. A reference exactly on a halfway point
// is taken as an exact case (x^y with few bits), rounded to even. To save time the univariate
// checks first ask glibc's double function (a few double ulps at worst) and call the long double
// one only when the double result lies within 2^-46 of a halfway point or the float results
// differ.
//
// Output: for each function the inputs checked, how many differ from the correctly rounded
// result, an ulp-error histogram (error measured against the long double reference, in ulps of
// the float result), and the worst case.

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "render/math/elementary.h"

namespace {

float fromBits(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

std::uint32_t bitsOf(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

constexpr int kBins = 8;
const char* const kBinNames[kBins] = {"exact",    "(0, 0.5]", "(0.5, 0.501]", "(0.501, 0.6]",
                                      "(0.6, 1]", "(1, 2]",   "(2, inf)",     "special wrong"};

struct Stats {
    std::uint64_t checked = 0;
    std::uint64_t wrong = 0;           // differs from the correctly rounded result
    std::uint64_t undecided = 0;       // reference too close to a halfway point
    std::uint64_t exactHalfway = 0;    // reference exactly halfway (exact case)
    std::uint64_t longDoubleCalls = 0; // univariate: inputs the double reference left open
    std::uint64_t bins[kBins] = {};
    long double worst = 0;
    float worstX = 0, worstY = 0, worstGot = 0;
    long double worstRef = 0;
    std::vector<std::pair<float, float>> undecidedInputs;
    std::vector<std::pair<float, float>> wrongInputs;

    void merge(const Stats& o) {
        checked += o.checked;
        wrong += o.wrong;
        undecided += o.undecided;
        exactHalfway += o.exactHalfway;
        longDoubleCalls += o.longDoubleCalls;
        for (int i = 0; i < kBins; ++i) bins[i] += o.bins[i];
        if (o.worst > worst) {
            worst = o.worst;
            worstX = o.worstX;
            worstY = o.worstY;
            worstGot = o.worstGot;
            worstRef = o.worstRef;
        }
        undecidedInputs.insert(undecidedInputs.end(), o.undecidedInputs.begin(), o.undecidedInputs.end());
        wrongInputs.insert(wrongInputs.end(), o.wrongInputs.begin(), o.wrongInputs.end());
    }
};

// True when the double d (within a few double ulps of the exact value) rounds to the float got
// and lies farther than 2^-46 (relative) from every halfway point, so it decides the rounding.
bool clearlyRounds(double d, float got) {
    if (std::isnan(d)) return std::isnan(got);
    const float cr = static_cast<float>(d);
    if (std::memcmp(&cr, &got, sizeof cr) != 0) return false;
    if (std::isinf(cr)) return std::fabs(d) > 0x1.000001p128; // clearly past the overflow threshold
    if (d == 0.0) return true;
    const double diff = d - static_cast<double>(cr);
    if (diff == 0.0) return true;
    const float other = std::nextafter(cr, diff > 0 ? INFINITY : -INFINITY);
    const double mid = (static_cast<double>(cr) + static_cast<double>(other)) * 0.5;
    return std::fabs(d - mid) > 0x1p-46 * std::fabs(d);
}

// ulp of the float binade holding |v| (2^-149 among the subnormals).
long double floatUlp(long double v) {
    v = std::fabs(v);
    if (v < 0x1p-126L) return 0x1p-149L;
    int e;
    std::frexp(v, &e); // v = m 2^e, m in [0.5, 1)
    return std::ldexp(1.0L, e - 24);
}

void record(Stats& st, float x, float y, float got, long double ref) {
    ++st.checked;
    const bool refNan = std::isnan(ref);
    if (refNan || std::isnan(got)) {
        if (!(refNan && std::isnan(got))) {
            ++st.wrong;
            ++st.bins[kBins - 1];
            if (st.wrongInputs.size() < 20) st.wrongInputs.push_back({x, y});
        } else {
            ++st.bins[0];
        }
        return;
    }
    const float cr = static_cast<float>(ref); // one rounding, from 64 bits to 24
    // Is the reference too close to a halfway point to decide the rounding?
    bool undecided = false;
    if (std::isfinite(cr) && ref != static_cast<long double>(cr)) {
        const long double d = ref - static_cast<long double>(cr);
        const float other = std::nextafter(cr, d > 0 ? INFINITY : -INFINITY);
        const long double mid = (static_cast<long double>(cr) + static_cast<long double>(other)) / 2;
        const long double dist = std::fabs(ref - mid);
        if (dist == 0) {
            ++st.exactHalfway;
        } else if (dist <= 0x1p-60L * std::fabs(ref)) {
            undecided = true;
        }
    }
    if (undecided) {
        ++st.undecided;
        if (st.undecidedInputs.size() < 50) st.undecidedInputs.push_back({x, y});
    }
    const bool same = bitsOf(got) == bitsOf(cr);
    if (!same && !undecided) {
        ++st.wrong;
        if (st.wrongInputs.size() < 20) st.wrongInputs.push_back({x, y});
    }
    long double err;
    if (std::isinf(got) || std::isinf(ref) || got == 0 || ref == 0) {
        if (same || (got == ref && std::signbit(got) == std::signbit(ref))) {
            err = 0;
        } else if (std::isinf(got) && std::isinf(cr) && got == cr) {
            err = 0.5; // a finite reference beyond the overflow threshold
        } else if (std::isinf(got) || std::isinf(ref) || std::signbit(got) != std::signbit(ref)) {
            ++st.bins[kBins - 1];
            err = INFINITY;
            goto worst;
        } else {
            err = std::fabs(static_cast<long double>(got) - ref) / floatUlp(ref);
        }
    } else {
        err = std::fabs(static_cast<long double>(got) - ref) / floatUlp(ref);
    }
    if (err == 0)
        ++st.bins[0];
    else if (err <= 0.5L)
        ++st.bins[1];
    else if (err <= 0.501L)
        ++st.bins[2];
    else if (err <= 0.6L)
        ++st.bins[3];
    else if (err <= 1.0L)
        ++st.bins[4];
    else if (err <= 2.0L)
        ++st.bins[5];
    else
        ++st.bins[6];
worst:
    if (err > st.worst) {
        st.worst = err;
        st.worstX = x;
        st.worstY = y;
        st.worstGot = got;
        st.worstRef = ref;
    }
}

void report(const char* name, const Stats& st, double seconds, bool twoArgs) {
    std::printf("%s: %" PRIu64 " inputs in %.1f s\n", name, st.checked, seconds);
    std::printf("  not correctly rounded: %" PRIu64
                "   undecided (reference within 2^-60 of a halfway point): %" PRIu64
                "   exactly halfway (exact cases): %" PRIu64 "\n",
                st.wrong, st.undecided, st.exactHalfway);
    if (st.longDoubleCalls)
        std::printf("  long double reference consulted for %" PRIu64 " inputs\n", st.longDoubleCalls);
    std::printf("  ulp error histogram:");
    for (int i = 0; i < kBins; ++i) std::printf("  %s: %" PRIu64, kBinNames[i], st.bins[i]);
    std::printf("\n  worst: %.6Lg ulp at x = %a", st.worst, st.worstX);
    if (twoArgs) std::printf(", y = %a", st.worstY);
    std::printf(" (got %a, reference %.21Lg)\n", st.worstGot, st.worstRef);
    for (const auto& p : st.wrongInputs) {
        if (twoArgs)
            std::printf("  WRONG x = %a y = %a\n", p.first, p.second);
        else
            std::printf("  WRONG x = %a\n", p.first);
    }
    for (const auto& p : st.undecidedInputs) {
        if (twoArgs)
            std::printf("  undecided x = %a y = %a\n", p.first, p.second);
        else
            std::printf("  undecided x = %a\n", p.first);
    }
}

template <typename Work>
Stats runThreads(int threads, Work work) {
    std::vector<Stats> parts(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back([&, t] { work(t, parts[t]); });
    for (auto& th : pool) th.join();
    Stats all;
    for (const auto& p : parts) all.merge(p);
    return all;
}

int checkUnivariate(const std::string& name, int threads, std::uint64_t stride) {
    float (*ours)(float) = nullptr;
    long double (*ref)(long double) = nullptr;
    double (*quick)(double) = nullptr;
    if (name == "exp") {
        ours = nebulastra::fmath::exp;
        ref = [](long double v) { return std::exp(v); };
        quick = [](double v) { return std::exp(v); };
    } else if (name == "cbrt") {
        ours = nebulastra::fmath::cbrt;
        ref = [](long double v) { return std::cbrt(v); };
        quick = [](double v) { return std::cbrt(v); };
    } else if (name == "sin") {
        ours = nebulastra::fmath::sin;
        ref = [](long double v) { return std::sin(v); };
        quick = [](double v) { return std::sin(v); };
    } else if (name == "cos") {
        ours = nebulastra::fmath::cos;
        ref = [](long double v) { return std::cos(v); };
        quick = [](double v) { return std::cos(v); };
    } else {
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t total = 1ull << 32;
    Stats st = runThreads(threads, [&](int t, Stats& s) {
        for (std::uint64_t u = static_cast<std::uint64_t>(t) * stride; u < total; u += stride * threads) {
            const float x = fromBits(static_cast<std::uint32_t>(u));
            const float got = ours(x);
            const double q = quick(static_cast<double>(x));
            if (clearlyRounds(q, got)) {
                record(s, x, 0.0f, got, q);
            } else {
                ++s.longDoubleCalls;
                record(s, x, 0.0f, got, ref(static_cast<long double>(x)));
            }
        }
    });
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    report(name.c_str(), st, secs, false);
    return st.wrong == 0 ? 0 : 1;
}

// ---- pow ----------------------------------------------------------------------------------------

struct PowFamily {
    const char* name;
    std::function<std::pair<float, float>(std::mt19937_64&)> make;
};

float randomPositive(std::mt19937_64& g, float lo, float hi) { // log-uniform in [lo, hi)
    std::uniform_real_distribution<double> u(std::log2(lo), std::log2(hi));
    return static_cast<float>(std::exp2(u(g)));
}

std::vector<PowFamily> powFamilies() {
    std::vector<PowFamily> f;
    f.push_back({"random bits", [](std::mt19937_64& g) {
                     return std::make_pair(fromBits(static_cast<std::uint32_t>(g())),
                                           fromBits(static_cast<std::uint32_t>(g())));
                 }});
    f.push_back({"results across the range", [](std::mt19937_64& g) {
                     // x anywhere, y chosen so x^y lands anywhere from below the subnormals to overflow.
                     float x = randomPositive(g, 0x1p-149f, 0x1p127f);
                     if (x == 1.0f) x = 2.0f;
                     std::uniform_real_distribution<double> t(-152.0, 129.0);
                     const float y = static_cast<float>(t(g) / std::log2(static_cast<double>(x)));
                     return std::make_pair(x, y);
                 }});
    f.push_back({"x in [0.5, 2), y in [-40, 40]", [](std::mt19937_64& g) {
                     std::uniform_real_distribution<float> x(0.5f, 2.0f), y(-40.0f, 40.0f);
                     return std::make_pair(x(g), y(g));
                 }});
    f.push_back({"x near 1, large y", [](std::mt19937_64& g) {
                     std::uniform_int_distribution<int> k(-4096, 4096);
                     const float x = 1.0f + static_cast<float>(k(g)) * 0x1p-24f;
                     std::uniform_real_distribution<double> t(-160.0, 135.0);
                     const double l = std::log2(static_cast<double>(x));
                     const float y = l == 0 ? 1.0f : static_cast<float>(t(g) / l);
                     return std::make_pair(x, y);
                 }});
    f.push_back({"integral y, either sign of x", [](std::mt19937_64& g) {
                     std::uniform_int_distribution<int> n(-64, 64);
                     float x = randomPositive(g, 0x1p-8f, 0x1p8f);
                     if (g() & 1) x = -x;
                     return std::make_pair(x, static_cast<float>(n(g)));
                 }});
    f.push_back({"small integers to small integral and half-integral powers (exact and halfway cases)",
                 [](std::mt19937_64& g) {
                     std::uniform_int_distribution<int> m(1, 1 << 13), n(1, 30), sh(-60, 60);
                     const int base = m(g);
                     const int num = n(g);
                     const bool half = g() & 1;
                     // x = base (or base^2 for the half-integral case) times a power of two.
                     double x = half ? static_cast<double>(base) * base : base;
                     if (x >= 16777216.0) x = base;
                     const int shift = static_cast<int>(sh(g)) * (half ? 2 : 1);
                     const float xf = static_cast<float>(std::ldexp(x, shift));
                     const float y = half ? static_cast<float>(num) + 0.5f : static_cast<float>(num);
                     return std::make_pair(g() & 1 ? xf : -xf, y);
                 }});
    f.push_back({"y = 2^-k and n/2^k", [](std::mt19937_64& g) {
                     std::uniform_int_distribution<int> k(1, 6), n(1, 15), b(2, 40);
                     const int kk = k(g);
                     const double base = b(g);
                     const double x = std::pow(base, static_cast<double>(1 << kk));
                     const float xf = static_cast<float>(x < 0x1p127 ? x : base);
                     return std::make_pair(xf, static_cast<float>(std::ldexp(2.0 * n(g) - 1.0, -kk)));
                 }});
    return f;
}

int checkPow(std::uint64_t count, std::uint64_t seed, int threads) {
    int status = 0;
    Stats total;
    double totalSecs = 0;
    for (const PowFamily& fam : powFamilies()) {
        const auto start = std::chrono::steady_clock::now();
        Stats st = runThreads(threads, [&](int t, Stats& s) {
            std::mt19937_64 g(seed * 1000003u + static_cast<std::uint64_t>(t) * 7919u +
                              std::hash<std::string>{}(fam.name));
            for (std::uint64_t i = t; i < count; i += threads) {
                const auto [x, y] = fam.make(g);
                record(s, x, y, nebulastra::fmath::pow(x, y),
                       std::pow(static_cast<long double>(x), static_cast<long double>(y)));
            }
        });
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        totalSecs += secs;
        std::printf("[%s]\n", fam.name);
        report("pow", st, secs, true);
        if (st.wrong) status = 1;
        total.merge(st);
    }
    std::printf("[all families]\n");
    report("pow", total, totalSecs, true);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s exp|cbrt|sin|cos|pow [--threads N] [--stride S] [--count N] [--seed S]\n",
                     argv[0]);
        return 2;
    }
    const std::string name = argv[1];
    int threads = 1;
    std::uint64_t stride = 1, count = 10000000, seed = 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const std::uint64_t v = std::strtoull(argv[i + 1], nullptr, 10);
        if (opt == "--threads")
            threads = static_cast<int>(v);
        else if (opt == "--stride")
            stride = v;
        else if (opt == "--count")
            count = v;
        else if (opt == "--seed")
            seed = v;
        else {
            std::fprintf(stderr, "unknown option %s\n", opt.c_str());
            return 2;
        }
    }
    if (threads < 1 || stride < 1) return 2;
    if (name == "pow") return checkPow(count, seed, threads);
    const int r = checkUnivariate(name, threads, stride);
    if (r == 2) std::fprintf(stderr, "unknown function %s\n", name.c_str());
    return r;
}
