#pragma once
// Every colour-space step of the effect: the sRGB transfer function both ways (IEC 61966-2-1;
// light colours arrive in sRGB, output leaves in it) and, for the compositor, linear sRGB <-> Oklab
// (Björn Ottosson's published matrices). Single precision, rows summed left to
// right, so results are the same bit for bit in every build.

namespace nebulastra {

/// Linear sRGB to Oklab (L, a, b). Negative LMS responses are clamped to 0 before the cube root.
void linearSrgbToOklab(const float rgb[3], float lab[3]);
/// Oklab to linear sRGB; channels are not clamped.
void oklabToLinearSrgb(const float lab[3], float rgb[3]);
/// Display encoding of one linear channel, clamped to [0, 1] first.
float encodeSrgb(float linear);
/// Decoding of one sRGB channel (a light's colour) into linear light. The power branch is
/// pow(c / 1.055 + 0.055 / 1.055, 2.4) with both quotients as single-precision constants, so every
/// build rounds it the same way; at and below 0.04045 the curve is linear (c / 12.92).
float decodeSrgb(float encoded);

} // namespace nebulastra
