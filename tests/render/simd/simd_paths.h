#pragma once
// What the SIMD path tests share: the paths this CPU runs (the others reported as skipped) and
// comparison of floats by their bits.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/simd/isa.h"

namespace nebulastra::testing {

inline std::vector<Isa> simdPathsOfThisCpu() {
    const CpuFeatures cpu = readCpuFeatures();
    std::vector<Isa> paths;
    for (Isa isa : {Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
        if (isaSupported(isa, cpu))
            paths.push_back(isa);
        else
            std::printf("[ skipped  ] %s: not supported by this CPU\n", isaName(isa));
    }
    return paths;
}

inline uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

inline float floatOf(uint32_t b) {
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}

/// Same bits, or both not a number (NaN payloads may differ with operand order).
inline bool sameValue(float a, float b) { return bitsOf(a) == bitsOf(b) || (a != a && b != b); }

} // namespace nebulastra::testing
