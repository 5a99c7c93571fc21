// The SIMD kernel for AVX2: 8 lanes. Compiled with -mavx2; runs only when the dispatcher found
// AVX2 on the CPU and its register state saved by the operating system.
#define NEBULASTRA_SIMD_NAMESPACE simd_avx2
#include "render/simd/packet_kernel.inl"
