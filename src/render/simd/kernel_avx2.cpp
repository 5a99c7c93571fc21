// The kernel for AVX2: 16 lanes in two 256-bit registers. Compiled with -mavx2 -mfma -mbmi2; runs
// only when kernelFor's caller found AVX2 on the CPU and its register state saved by the operating
// system.
#if !defined(__AVX2__) || !defined(__FMA__) || !defined(__BMI2__)
#error "kernel_avx2.cpp is compiled with AVX2, FMA and BMI2"
#endif
#define NEBULASTRA_SIMD_NAMESPACE simd_avx2
#define NEBULASTRA_LANES 16
#define NEBULASTRA_KERNEL_ISA Isa::Avx2
#include "render/simd/packet_kernel.inl"
