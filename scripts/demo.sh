#!/usr/bin/env bash
# Builds the native effect library and the command-line renderer (nothing else: no tests, no
# benchmarks), then renders an example scene through the effect library exactly as the host would
# drive it, twice: the effect's own output (the clouds alone, over transparency, as a layer in
# After Effects) and, beside it, an opaque preview over the renderer's sky gradient, which any
# image viewer shows as it is meant to look.
# Usage: scripts/demo.sh [SCENE.json] [OUT.png]   (default examples/single_white_cloud.json, out/demo.png)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

require_packages $NATIVE_PACKAGES
cd "$NEBULASTRA_ROOT"
cmake --preset linux >/dev/null
cmake --build --preset linux --target Nebulastra nebulastra-render -j "$(njobs)"

scene=${1:-examples/single_white_cloud.json}
out=${2:-out/demo.png}
preview="${out%.png}_preview.png"
mkdir -p "$(dirname "$out")"
build/linux/bin/nebulastra-render "$scene" -o "$out"
build/linux/bin/nebulastra-render "$scene" --background sky -o "$preview"
echo "Rendered $scene:"
echo "  preview over a sky, opaque (look at this one first): $preview"
echo "  the clouds alone, with alpha, as the effect draws them: $out"
