// The SIMD kernel for AVX-512: 16 lanes. Compiled with -mavx512f; runs only when the dispatcher
// found AVX-512 on the CPU and its register state saved by the operating system.
#define NEBULASTRA_SIMD_NAMESPACE simd_avx512
#include "render/simd/packet_kernel.inl"
