#include "render/scalar_math.h"

#include <cmath>

namespace nebulastra {

float kernelExp(float x) { return std::exp(x); }
float kernelPow(float x, float y) { return std::pow(x, y); }

} // namespace nebulastra
