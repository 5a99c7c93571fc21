#!/usr/bin/env bash
# Builds the native effect and the command-line renderer, then renders an example scene through
# the effect library exactly as the host would drive it. Usage: scripts/demo.sh [SCENE.json] [OUT.png]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

require_packages $NATIVE_PACKAGES
cd "$NEBULASTRA_ROOT"
build_preset linux

scene=${1:-examples/single_white_cloud.json}
out=${2:-out/demo.png}
mkdir -p "$(dirname "$out")"
build/linux/bin/nebulastra-render "$scene" -o "$out"
echo "Rendered $scene to $out"
