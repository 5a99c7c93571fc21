// The kernel for the x86-64 baseline: 8 lanes in two SSE2 registers, available on every x86-64 CPU.
#define NEBULASTRA_SIMD_NAMESPACE simd_sse2
#define NEBULASTRA_LANES 8
#define NEBULASTRA_KERNEL_ISA Isa::Sse2
#include "render/simd/packet_kernel.inl"
