// The kernel for the x86-64 baseline: 4 lanes of SSE2, available on every x86-64 CPU.
#define NEBULASTRA_SIMD_NAMESPACE simd_sse2
#define NEBULASTRA_LANES 4
#define NEBULASTRA_KERNEL_ISA Isa::Sse2
#include "render/simd/packet_kernel.inl"
