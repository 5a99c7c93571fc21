#pragma once
// The single-precision maths functions of the render path, out of line, so that every kernel
// (scalar or compiled for any instruction set) calls the very same code and gets the same bits.

namespace nebulastra {

float kernelExp(float x);
float kernelPow(float x, float y);

} // namespace nebulastra
