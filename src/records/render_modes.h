#pragma once
// The effect's popup choices as types. The host hands popups over as 1-based integers; the
// parameter conversion (params/build_render_settings.cpp) turns them into these once, so nothing
// past that boundary handles a bare mode number.

#include <cstdint>

namespace nebulastra {

/// How overlapping clouds combine their colours ("Overlap Blend").
enum class BlendMode : int32_t { Average = 0, Add = 1, Screen = 2, Lighten = 3, Darken = 4 };

/// The world-space texture's pattern ("Texture"); numbered as the host's popup.
enum class TextureType : int32_t { Wisps = 1, Billows = 2, Erosion = 3 };

/// How the shaped fractal noise bends each octave value n (0..1) ("Billow Map").
enum class NoiseShape : int32_t { Smooth = 0, Puffy = 1, Wispy = 2, Clumps = 3 };

} // namespace nebulastra
