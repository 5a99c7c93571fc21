// Scene-linear colour for OpenEXR. The effect's colours are display-encoded (sRGB) at every depth,
// its float frames included: a value of 0.5 is mid-grey on screen, not half the light. Compositing
// packages that treat OpenEXR as scene-linear (Nuke, Blender, most pipelines) want light, so on
// request each pixel's straight colour is decoded with the sRGB transfer function and multiplied
// by its alpha again; alpha stays as it is.
#pragma once

#include <vector>

namespace nebulastra::render_tool {

// The sRGB transfer function's inverse (IEC 61966-2-1): v / 12.92 up to 0.04045, else
// ((v + 0.055) / 1.055)^2.4, carried on past 1 for brighter-than-white values and mirrored
// for negative ones.
double srgbToLinear(double v);

// Premultiplied display-encoded RGBA to premultiplied scene-linear RGBA, in place. A pixel with
// no alpha (nothing to un-premultiply) has its colour decoded as it stands.
void toSceneLinear(std::vector<float>& rgba);

} // namespace nebulastra::render_tool
