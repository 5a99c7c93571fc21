#!/usr/bin/env bash
# Builds both targets and runs every test: the native build, the native build under
# AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build (Nebulastra.aex and the test
# program) under Wine, and the thread check (ThreadSanitizer: render tests and the fuzz corpus).
# Each build also runs the fuzz drivers over the kept corpus and a bounded number of generated
# inputs. Ends with one line per stage (passed or failed, the test counts, the time) and exits
# non-zero naming every stage that failed. Usage: scripts/test.sh [linux|sanitize|windows|tsan|fuzz ...]
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
mkdir -p build
summary=() failed=()
for p in "${presets[@]}"; do
    echo "=== $p: build"
    start=$(date +%s)
    log="build/test-$p.log"
    if ! build_preset "$p"; then
        summary+=("$p: FAILED to build, $(( $(date +%s) - start )) s")
        failed+=("$p")
        continue
    fi
    echo "=== $p: test"
    # ctest's own last lines ("100% tests passed, 0 tests failed out of 1234") give the counts.
    ctest_status=0
    ctest --preset "$p" -j "$(njobs)" 2>&1 | tee "$log" || ctest_status=$?
    counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -1)
    read -r bad total <<<"${counts:-? ?}"
    elapsed=$(( $(date +%s) - start ))
    if [ "$ctest_status" -eq 0 ] && [ "$bad" = 0 ]; then
        summary+=("$p: passed, $total tests, $elapsed s")
    else
        summary+=("$p: FAILED, $bad of $total tests failed (list in $log), $elapsed s")
        failed+=("$p")
    fi
done

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "all passed: ${presets[*]}"
