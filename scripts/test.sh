#!/usr/bin/env bash
# Builds both targets and runs every test: the native build, the native build under
# AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build (Nebulastra.aex and the test
# program) under Wine, and the thread check (ThreadSanitizer: render tests and the fuzz corpus).
# Each build also runs the fuzz drivers over the kept corpus and a bounded number of generated
# inputs. Usage: scripts/test.sh [linux|sanitize|windows|tsan|fuzz ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(linux sanitize windows tsan)

require_packages $NATIVE_PACKAGES
for p in "${presets[@]}"; do
    [ "$p" = windows ] && require_packages $WINDOWS_PACKAGES
    { [ "$p" = tsan ] || [ "$p" = fuzz ]; } && require_packages $CLANG_PACKAGES
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
