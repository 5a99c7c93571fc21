#!/usr/bin/env bash
# Builds both targets and runs every test: the native build, the native build under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the Windows build (Nebulastra.aex and the
# test program) under Wine. Usage: scripts/test.sh [linux|sanitize|windows ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(linux sanitize windows)

require_packages $NATIVE_PACKAGES
for p in "${presets[@]}"; do
    [ "$p" = windows ] && require_packages $WINDOWS_PACKAGES
done

cd "$NEBULASTRA_ROOT"
status=0
for p in "${presets[@]}"; do
    echo "=== $p: build"
    start=$(date +%s)
    build_preset "$p"
    echo "=== $p: test"
    if ! ctest --preset "$p" -j "$(njobs)"; then
        status=1
    fi
    echo "=== $p: $(( $(date +%s) - start )) s"
done
exit $status
