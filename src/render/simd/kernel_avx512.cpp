// The kernel for AVX-512: 32 lanes in two 512-bit registers. Compiled with -mavx512f (and dq, bw,
// vl); runs only when kernelFor's caller found AVX-512 on the CPU and its register state saved by
// the operating system.
#if !defined(__AVX512F__) || !defined(__AVX512DQ__) || !defined(__AVX512BW__) || !defined(__AVX512VL__)
#error "kernel_avx512.cpp is compiled with the AVX-512 instruction sets"
#endif
#define NEBULASTRA_SIMD_NAMESPACE simd_avx512
#define NEBULASTRA_LANES 32
#define NEBULASTRA_KERNEL_ISA Isa::Avx512
#include "render/simd/packet_kernel.inl"
