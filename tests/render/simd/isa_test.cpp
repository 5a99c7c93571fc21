// Render path choice: the decision is checked against processors described bit by bit (the real
// machine can show only one of them), the real reading against what Linux itself reports, and the
// once-per-process environment switch in a fresh child process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
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
    struct Case {
        const char* what;
        CpuFeatures features;
        Isa expected;
    };
    CpuFeatures none;
    CpuFeatures sse2Only;
    sse2Only.sse2 = true;
    CpuFeatures noOsxsave = avx2Machine();
    noOsxsave.osxsave = false; // xcr0 then means nothing, whatever it holds
    CpuFeatures noYmmState = avx2Machine();
    noYmmState.xcr0 = 0x3;
    CpuFeatures noXmmState = avx2Machine();
    noXmmState.xcr0 = 0x5;
    CpuFeatures avxOnly = avx2Machine();
    avxOnly.avx2 = false; // a Sandy Bridge
    CpuFeatures avx2NoAvx = avx2Machine();
    avx2NoAvx.avx = false;
    CpuFeatures noFma = avx2Machine();
    noFma.fma = false;
    CpuFeatures noBmi2 = avx2Machine();
    noBmi2.bmi2 = false;
    CpuFeatures zmmNotSaved = avx512Machine();
    zmmNotSaved.xcr0 = kOsYmm;
    CpuFeatures noHi16Zmm = avx512Machine();
    noHi16Zmm.xcr0 = 0x67;
    CpuFeatures noOpmask = avx512Machine();
    noOpmask.xcr0 = 0xC7;
    CpuFeatures noVl = avx512Machine();
    noVl.avx512vl = false;
    CpuFeatures noBw = avx512Machine();
    noBw.avx512bw = false; // a Xeon Phi: F without BW/VL/DQ
    CpuFeatures noDq = avx512Machine();
    noDq.avx512dq = false;
    CpuFeatures avx512NoAvx2 = avx512Machine();
    avx512NoAvx2.avx2 = false;
    CpuFeatures wideXcr0 = avx512Machine();
    wideXcr0.xcr0 = 0x2FF | (1ull << 40); // extra state components change nothing

    const Case cases[] = {
        {"nothing reported", none, Isa::Scalar},
        {"SSE2 only", sse2Only, Isa::Sse2},
        {"AVX2 without OSXSAVE", noOsxsave, Isa::Sse2},
        {"AVX2, OS saves XMM only", noYmmState, Isa::Sse2},
        {"AVX2, OS saves YMM but not XMM", noXmmState, Isa::Sse2},
        {"AVX without AVX2", avxOnly, Isa::Sse2},
        {"AVX2 bit without AVX", avx2NoAvx, Isa::Sse2},
        {"AVX2 without FMA", noFma, Isa::Sse2},
        {"AVX2 without BMI2", noBmi2, Isa::Sse2},
        {"AVX2", avx2Machine(), Isa::Avx2},
        {"AVX-512, OS saves YMM only", zmmNotSaved, Isa::Avx2},
        {"AVX-512, OS lacks ZMM16-31", noHi16Zmm, Isa::Avx2},
        {"AVX-512, OS lacks opmask", noOpmask, Isa::Avx2},
        {"AVX-512F without VL", noVl, Isa::Avx2},
        {"AVX-512F without BW", noBw, Isa::Avx2},
        {"AVX-512F without DQ", noDq, Isa::Avx2},
        {"AVX-512 bits without AVX2", avx512NoAvx2, Isa::Sse2},
        {"AVX-512", avx512Machine(), Isa::Avx512},
        {"AVX-512, more state enabled", wideXcr0, Isa::Avx512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(chooseIsa(c.features), c.expected) << isaName(chooseIsa(c.features));
        // The choice is the best path: it runs, and nothing better does.
        EXPECT_TRUE(isaSupported(c.expected, c.features));
        for (int better = static_cast<int>(c.expected) + 1; better <= 3; ++better) {
            EXPECT_FALSE(isaSupported(static_cast<Isa>(better), c.features)) << better;
        }
    }
}

// Linux lists a CPU feature in /proc/cpuinfo only when the kernel also enabled its register state,
// so its flags are an independent reading of both halves of the decision.
TEST(IsaChoice, ThisMachineAgreesWithTheKernelsFlags) {
    const CpuFeatures f = readCpuFeatures();
    EXPECT_TRUE(isaSupported(chooseIsa(f), f));
    EXPECT_TRUE(f.sse2) << "every x86-64 processor has SSE2";
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {}
    if (line.empty()) GTEST_SKIP() << "no /proc/cpuinfo here";
    std::istringstream words(line.substr(line.find(':') + 1));
    std::string flags = " ";
    for (std::string w; words >> w;) flags += w + " ";
    auto has = [&](const char* flag) {
        return flags.find(std::string(" ") + flag + " ") != std::string::npos;
    };
    EXPECT_EQ(f.avx, has("avx"));
    EXPECT_EQ(f.avx2, has("avx2"));
    EXPECT_EQ(f.fma, has("fma"));
    EXPECT_EQ(f.bmi2, has("bmi2"));
    EXPECT_EQ(f.avx512f, has("avx512f"));
    EXPECT_EQ(f.avx512bw && f.avx512vl, has("avx512bw") && has("avx512vl"));
    const bool kernelAvx2 = has("avx") && has("avx2") && has("fma") && has("bmi2");
    EXPECT_EQ(isaSupported(Isa::Avx2, f), kernelAvx2);
    EXPECT_EQ(isaSupported(Isa::Avx512, f),
              kernelAvx2 && has("avx512f") && has("avx512dq") && has("avx512bw") && has("avx512vl"));
}

TEST(IsaNames, RoundTripAndRejectEverythingElse) {
    const char* names[] = {"scalar", "sse2", "avx2", "avx512"};
    for (int i = 0; i < 4; ++i) {
        Isa parsed = Isa::Scalar;
        ASSERT_TRUE(parseIsa(names[i], parsed)) << names[i];
        EXPECT_EQ(static_cast<int>(parsed), i);
        EXPECT_STREQ(isaName(parsed), names[i]);
    }
    for (const char* bad : {"", "auto", "AVX2", "avx", "avx-512", "avx5120", " sse2", "sse2 "}) {
        Isa parsed = Isa::Avx2;
        EXPECT_FALSE(parseIsa(bad, parsed)) << '"' << bad << '"';
        EXPECT_EQ(parsed, Isa::Avx2) << "a failed parse leaves the value alone";
    }
    Isa parsed = Isa::Sse2;
    EXPECT_FALSE(parseIsa(nullptr, parsed));
    EXPECT_STREQ(isaName(static_cast<Isa>(9)), "unknown");
}

TEST(IsaSwitch, HonoursSupportedRequestsAndIgnoresTheRest) {
    const CpuFeatures avx2 = avx2Machine();
    EXPECT_EQ(isaForProcess(nullptr, avx2), Isa::Avx2);
    EXPECT_EQ(isaForProcess("scalar", avx2), Isa::Scalar);
    EXPECT_EQ(isaForProcess("sse2", avx2), Isa::Sse2);
    EXPECT_EQ(isaForProcess("avx2", avx2), Isa::Avx2);
    EXPECT_EQ(isaForProcess("avx512", avx2), Isa::Avx2) << "a path the CPU lacks is ignored";
    EXPECT_EQ(isaForProcess("avx512", avx512Machine()), Isa::Avx512);
    for (const char* junk : {"", "auto", "AVX512", "fastest", "3"}) {
        EXPECT_EQ(isaForProcess(junk, avx2), Isa::Avx2) << '"' << junk << '"';
    }
}

TEST(IsaSwitch, TestOverrideTakesOnlySupportedPaths) {
    const CpuFeatures f = readCpuFeatures();
    const Isa own = renderIsa();
    ASSERT_TRUE(setRenderIsaForTesting(Isa::Scalar));
    EXPECT_EQ(renderIsa(), Isa::Scalar);
    for (Isa isa : {Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
        EXPECT_EQ(setRenderIsaForTesting(isa), isaSupported(isa, f)) << isaName(isa);
        EXPECT_EQ(renderIsa(), isaSupported(isa, f) ? isa : Isa::Scalar) << isaName(isa);
        setRenderIsaForTesting(Isa::Scalar);
    }
    resetRenderIsaForTesting();
    EXPECT_EQ(renderIsa(), own);
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
    const std::string saved = before != nullptr ? before : "";
    const bool wasSet = before != nullptr;
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"scalar", 0},   {"sse2", 1}, {"avx512", isaSupported(Isa::Avx512, f) ? 3 : best},
        {"avx-2", best}, {"", best},  {nullptr, best},
    };
    for (const Case& c : cases) {
        setIsaVariable(c.value);
        EXPECT_EXIT(exitWithRenderIsa(), testing::ExitedWithCode(c.expected), "")
            << (c.value != nullptr ? c.value : "(unset)");
    }
    setIsaVariable(wasSet ? saved.c_str() : nullptr);
}

} // namespace
} // namespace nebulastra
