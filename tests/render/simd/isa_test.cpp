// Render path choice: the decision against processors described bit by bit, and the once-per-process
// environment switch in a fresh child. (The render tool's ISA option test holds the real reading.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/simd/isa.h"
#include "render/simd/isa_override.h"

namespace nebulastra {
namespace {

constexpr std::uint64_t kOsYmm = 0x7;  // x87, XMM, YMM
constexpr std::uint64_t kOsZmm = 0xE7; // plus opmask, ZMM upper halves, ZMM16-31

// A processor with everything up to AVX2 (a Haswell or Zen), its OS saving YMM state.
CpuFeatures avx2Machine() {
    CpuFeatures f;
    f.sse2 = f.osxsave = f.avx = f.avx2 = f.fma = f.bmi2 = true;
    f.xcr0 = kOsYmm;
    return f;
}

// The same with the AVX-512 subsets the wide kernel uses, its OS saving ZMM state.
CpuFeatures avx512Machine() {
    CpuFeatures f = avx2Machine();
    f.avx512f = f.avx512dq = f.avx512bw = f.avx512vl = true;
    f.xcr0 = kOsZmm;
    return f;
}

TEST(IsaChoice, NeedsBothTheProcessorAndTheOperatingSystem) {
    // Each case takes a machine, clears one feature bit (or none) and sets XCR0 (or keeps it).
    struct Case {
        const char* what;
        CpuFeatures base;
        bool CpuFeatures::*cleared;
        std::uint64_t xcr0; // 0: as the machine has it
        Isa expected;
    };
    CpuFeatures sse2Only;
    sse2Only.sse2 = true;
    const CpuFeatures avx2 = avx2Machine(), avx512 = avx512Machine();
    const Case cases[] = {
        {"nothing reported", CpuFeatures{}, nullptr, 0, Isa::Scalar},
        {"SSE2 only", sse2Only, nullptr, 0, Isa::Sse2},
        {"AVX2 without OSXSAVE", avx2, &CpuFeatures::osxsave, 0, Isa::Sse2}, // xcr0 then means nothing
        {"AVX2, OS saves XMM only", avx2, nullptr, 0x3, Isa::Sse2},
        {"AVX2, OS saves YMM but not XMM", avx2, nullptr, 0x5, Isa::Sse2},
        {"AVX without AVX2", avx2, &CpuFeatures::avx2, 0, Isa::Sse2}, // a Sandy Bridge
        {"AVX2 bit without AVX", avx2, &CpuFeatures::avx, 0, Isa::Sse2},
        {"AVX2 without FMA", avx2, &CpuFeatures::fma, 0, Isa::Sse2},
        {"AVX2 without BMI2", avx2, &CpuFeatures::bmi2, 0, Isa::Sse2},
        {"AVX2", avx2, nullptr, 0, Isa::Avx2},
        {"AVX-512, OS saves YMM only", avx512, nullptr, kOsYmm, Isa::Avx2},
        {"AVX-512, OS lacks ZMM16-31", avx512, nullptr, 0x67, Isa::Avx2},
        {"AVX-512, OS lacks opmask", avx512, nullptr, 0xC7, Isa::Avx2},
        {"AVX-512F without VL", avx512, &CpuFeatures::avx512vl, 0, Isa::Avx2},
        {"AVX-512F without BW", avx512, &CpuFeatures::avx512bw, 0, Isa::Avx2}, // a Xeon Phi
        {"AVX-512F without DQ", avx512, &CpuFeatures::avx512dq, 0, Isa::Avx2},
        {"AVX-512 bits without AVX2", avx512, &CpuFeatures::avx2, 0, Isa::Sse2},
        {"AVX-512", avx512, nullptr, 0, Isa::Avx512},
        {"AVX-512, more state enabled", avx512, nullptr, 0x2FF | (1ull << 40), Isa::Avx512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CpuFeatures f = c.base;
        if (c.cleared != nullptr) f.*c.cleared = false;
        if (c.xcr0 != 0) f.xcr0 = c.xcr0;
        EXPECT_EQ(chooseIsa(f), c.expected) << isaName(chooseIsa(f));
        // The choice is the best path: it runs, and nothing better does.
        EXPECT_TRUE(isaSupported(c.expected, f));
        for (int better = static_cast<int>(c.expected) + 1; better <= 3; ++better)
            EXPECT_FALSE(isaSupported(static_cast<Isa>(better), f)) << better;
    }
}

// The variable is read once, on the first renderIsa() call of a process; a death-test child is a
// fresh run of this program (threadsafe style re-executes it), and its exit code carries its path.
void exitWithRenderIsa() { std::exit(static_cast<int>(renderIsa())); }

// Sets the variable, or removes it for nullptr.
void setIsaVariable(const char* value) {
#ifdef _WIN32
    _putenv_s(kIsaEnvironmentVariable, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        setenv(kIsaEnvironmentVariable, value, 1);
    } else {
        unsetenv(kIsaEnvironmentVariable);
    }
#endif
}

TEST(IsaSwitch, EnvironmentVariableSetsTheProcessPath) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const CpuFeatures f = readCpuFeatures();
    const int best = static_cast<int>(chooseIsa(f));
    const char* before = std::getenv(kIsaEnvironmentVariable);
    const bool wasSet = before != nullptr;
    const std::string saved = wasSet ? before : "";
    const struct {
        const char* value;
        int expected;
    } cases[] = {{"scalar", 0},
                 {"sse2", 1},
                 {"avx512", isaSupported(Isa::Avx512, f) ? 3 : best},
                 {"avx-2", best},
                 {nullptr, best}};
    for (const auto& c : cases) {
        setIsaVariable(c.value);
        EXPECT_EXIT(exitWithRenderIsa(), testing::ExitedWithCode(c.expected), "")
            << (c.value != nullptr ? c.value : "(unset)");
    }
    setIsaVariable(wasSet ? saved.c_str() : nullptr);
}

} // namespace
} // namespace nebulastra
