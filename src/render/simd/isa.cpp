// Instruction-set detection, the process's choice of render path, and the one place a path's
// kernel build is named.
#include "render/simd/isa.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "render/simd/isa_override.h"
#include "render/simd/packet_kernel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define NEBULASTRA_X86 1
#endif

namespace nebulastra {

namespace {

#ifdef NEBULASTRA_X86
bool bit(unsigned int reg, int n) { return ((reg >> n) & 1u) != 0; }

// XCR0 through the xgetbv instruction itself: the intrinsic would need AVX code generation
// enabled for this file. Only valid when CPUID reports OSXSAVE (otherwise it faults).
std::uint64_t readXcr0() {
    std::uint32_t eax = 0;
    std::uint32_t edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return (static_cast<std::uint64_t>(edx) << 32) | eax;
}
#endif

bool osSavesYmm(const CpuFeatures& f) {
    const std::uint64_t need = kXcr0Xmm | kXcr0Ymm;
    return f.osxsave && (f.xcr0 & need) == need;
}

bool osSavesZmm(const CpuFeatures& f) {
    const std::uint64_t need = kXcr0Xmm | kXcr0Ymm | kXcr0Opmask | kXcr0ZmmHi256 | kXcr0Hi16Zmm;
    return f.osxsave && (f.xcr0 & need) == need;
}

constexpr const char* kNames[] = {"scalar", "sse2", "avx2", "avx512"};

} // namespace

CpuFeatures readCpuFeatures() {
    CpuFeatures f;
#ifdef NEBULASTRA_X86
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return f;
    f.sse2 = bit(edx, 26);
    f.fma = bit(ecx, 12);
    f.osxsave = bit(ecx, 27);
    f.avx = bit(ecx, 28);
    // Leaf 7 exists only when the highest basic leaf reaches it; __get_cpuid_count checks that.
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
        f.avx2 = bit(ebx, 5);
        f.bmi2 = bit(ebx, 8);
        f.avx512f = bit(ebx, 16);
        f.avx512dq = bit(ebx, 17);
        f.avx512bw = bit(ebx, 30);
        f.avx512vl = bit(ebx, 31);
    }
    if (f.osxsave) f.xcr0 = readXcr0();
#endif
    return f;
}

bool isaSupported(Isa isa, const CpuFeatures& f) {
    switch (isa) {
    case Isa::Scalar:
        return true;
    case Isa::Sse2:
        return f.sse2;
    case Isa::Avx2:
        return f.sse2 && f.avx && f.avx2 && f.fma && f.bmi2 && osSavesYmm(f);
    case Isa::Avx512:
        return isaSupported(Isa::Avx2, f) && f.avx512f && f.avx512dq && f.avx512bw && f.avx512vl &&
               osSavesZmm(f);
    }
    return false;
}

Isa chooseIsa(const CpuFeatures& f) {
    for (Isa isa : {Isa::Avx512, Isa::Avx2, Isa::Sse2}) {
        if (isaSupported(isa, f)) return isa;
    }
    return Isa::Scalar;
}

const char* isaName(Isa isa) {
    const auto i = static_cast<std::int32_t>(isa);
    return i >= 0 && i < 4 ? kNames[i] : "unknown";
}

bool parseIsa(const char* name, Isa& out) {
    if (name == nullptr) return false;
    for (std::int32_t i = 0; i < 4; ++i) {
        if (std::strcmp(name, kNames[i]) == 0) {
            out = static_cast<Isa>(i);
            return true;
        }
    }
    return false;
}

Isa isaForProcess(const char* requested, const CpuFeatures& features) {
    Isa isa = Isa::Scalar;
    if (parseIsa(requested, isa) && isaSupported(isa, features)) return isa;
    return chooseIsa(features);
}

// Each build's table (kernel_<isa>.cpp).
namespace simd_scalar {
extern const KernelTable kKernel;
}
namespace simd_sse2 {
extern const KernelTable kKernel;
}
namespace simd_avx2 {
extern const KernelTable kKernel;
}
namespace simd_avx512 {
extern const KernelTable kKernel;
}

const KernelTable& kernelFor(Isa isa) {
    switch (isa) {
    case Isa::Sse2:
        return simd_sse2::kKernel;
    case Isa::Avx2:
        return simd_avx2::kKernel;
    case Isa::Avx512:
        return simd_avx512::kKernel;
    case Isa::Scalar:
    default:
        return simd_scalar::kKernel;
    }
}

Isa renderIsa() {
    // Chosen on first use, once per process (a thread-safe static).
    static const Isa chosen = isaForProcess(std::getenv(kIsaEnvironmentVariable), readCpuFeatures());
    return chosen;
}

} // namespace nebulastra
