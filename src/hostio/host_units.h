#pragma once
// The host's units shared by every reader of host values: parameter sliders and light properties
// both report percentages as doubles.

namespace nebulastra {

/// A percentage (double) as a fraction: multiplied by 0.01 in double, then rounded once to float.
inline float percentToFraction(double percent) { return static_cast<float>(percent * 0.01); }

} // namespace nebulastra
