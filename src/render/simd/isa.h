// Which instruction set the render kernel runs on.
//
// The kernel is built once per instruction set (SSE2, AVX2, AVX-512) and once as plain scalar
// code; every build draws the same pixels to the bit, only faster or slower. Which one a process
// runs is decided once, from what the processor reports AND what the operating system has enabled:
// a CPU may implement AVX while the system does not save the YMM registers across thread switches
// (an old kernel, a hypervisor that masks it), and then AVX code would corrupt other threads'
// registers or fault. So nothing is assumed: every path needs its CPUID bits and, for the wider
// registers, the XCR0 bits that say the OS saves them.
//
// This file and isa.cpp are compiled for baseline x86-64 (no AVX code generation), so asking the
// question can never itself execute an instruction the CPU lacks.
#pragma once

#include <cstdint>

namespace nebulastra {

enum class Isa : std::int32_t { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };

// The processor's answers: CPUID leaf 1 (sse2, osxsave, avx, fma), leaf 7 sub-leaf 0 (avx2, bmi2,
// the AVX-512 subsets) and, when osxsave is set, the OS's enabled-state mask XCR0.
struct CpuFeatures {
    bool sse2 = false;
    bool osxsave = false; // the OS uses XSAVE and lets programs read XCR0 (xgetbv)
    bool avx = false;
    bool avx2 = false;
    bool fma = false;
    bool bmi2 = false;
    bool avx512f = false;
    bool avx512dq = false;
    bool avx512bw = false;
    bool avx512vl = false;
    std::uint64_t xcr0 = 0; // valid only when osxsave
};

// XCR0 state components: SSE (XMM), AVX (upper YMM halves), and the three AVX-512 components
// (opmask registers, upper ZMM halves of registers 0-15, registers 16-31).
inline constexpr std::uint64_t kXcr0Xmm = 1u << 1;
inline constexpr std::uint64_t kXcr0Ymm = 1u << 2;
inline constexpr std::uint64_t kXcr0Opmask = 1u << 5;
inline constexpr std::uint64_t kXcr0ZmmHi256 = 1u << 6;
inline constexpr std::uint64_t kXcr0Hi16Zmm = 1u << 7;

// Reads CPUID and, when the OS allows it, XCR0. All false on a processor that is not x86.
CpuFeatures readCpuFeatures();

// Whether the processor and its OS can run the given path:
//   Scalar  always;
//   Sse2    sse2;
//   Avx2    sse2, avx, avx2, fma and bmi2, with XMM and YMM state saved by the OS (the AVX2 kernel
//           may be compiled with -mavx2 -mfma -mbmi2: every AVX2 processor has FMA3 and BMI2, and
//           requiring them lets the compiler use BMI2 shifts; no contraction to FMA ever happens,
//           the build forbids it);
//   Avx512  everything Avx2 needs plus avx512f, dq, bw and vl, with the opmask and both ZMM state
//           components saved as well.
bool isaSupported(Isa isa, const CpuFeatures& features);

// The best supported path: Avx512, else Avx2, else Sse2, else Scalar. A pure function of its
// argument, so it can be checked against any processor.
Isa chooseIsa(const CpuFeatures& features);

// "scalar", "sse2", "avx2", "avx512"; "unknown" for a value outside the enum.
const char* isaName(Isa isa);

// The inverse of isaName (exact lower-case names only). Returns false, leaving `out` alone, for
// anything else, including nullptr and "auto" (callers that offer "auto" handle it themselves).
bool parseIsa(const char* name, Isa& out);

// The path frames render with. Decided on the first call in the process (thread-safe) from the
// processor, or from the NEBULASTRA_ISA test switch (see isa_override.h); the same answer after.
Isa renderIsa();

} // namespace nebulastra
