#pragma once
// Colour-space steps of the compositor: linear sRGB <-> Oklab (Björn Ottosson's published
// matrices) and the sRGB display encoding (IEC 61966-2-1). Single precision, rows summed left to
// right, so results are the same bit for bit in every build.

namespace nebulastra {

/// Linear sRGB to Oklab (L, a, b). Negative LMS responses are clamped to 0 before the cube root.
void linearSrgbToOklab(const float rgb[3], float lab[3]);
/// Oklab to linear sRGB; channels are not clamped.
void oklabToLinearSrgb(const float lab[3], float rgb[3]);
/// Display encoding of one linear channel, clamped to [0, 1] first.
float encodeSrgb(float linear);

} // namespace nebulastra
