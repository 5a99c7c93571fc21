#!/usr/bin/env bash
# Fuzzes for as long as asked, with libFuzzer under AddressSanitizer + UndefinedBehaviorSanitizer
# (the fuzz preset, clang): the effect through the scene host with random command sequences and
# injected host faults ("host"), and the scene loader ("scene").
#
#   scripts/fuzz.sh [host|scene|both] [SECONDS per target, default 300] [libFuzzer options...]
#
# The growing working corpus lives in build/fuzz/corpus/<target>. Every input that finds a fault
# (crash, contract violation, leak, hang, memory blow-up) is copied into tests/fuzz/corpus/<target>/
# under its hash, so the tests replay it from then on: commit it with the fix.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

which=${1:-both}
seconds=${2:-300}
shift $(( $# > 2 ? 2 : $# ))
case "$which" in
  host) targets=(host) ;;
  scene) targets=(scene) ;;
  both) targets=(host scene) ;;
  *) echo "usage: scripts/fuzz.sh [host|scene|both] [SECONDS] [libFuzzer options...]" >&2; exit 2 ;;
esac

require_packages $NATIVE_PACKAGES $CLANG_PACKAGES
cd "$NEBULASTRA_ROOT"
build_preset fuzz

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for t in "${targets[@]}"; do
  work=build/fuzz/corpus/$t
  artifacts=build/fuzz/artifacts/$t
  kept=tests/fuzz/corpus/$t
  mkdir -p "$work" "$artifacts" "$kept"
  seeds=("$kept")
  [ "$t" = scene ] && seeds+=(examples)
  options=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -max_len=8192 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  [ "$t" = scene ] && options+=(-dict=tests/fuzz/scene.dict)
  echo "=== fuzz $t: $seconds s"
  if ! build/fuzz/bin/nebulastra_fuzz_"$t" "${options[@]}" "$@" "$work" "${seeds[@]}"; then
    status=1
  fi
  for found in "$artifacts"/*; do
    [ -f "$found" ] || continue
    name=$(sha1sum "$found" | cut -c1-16)
    cp "$found" "$kept/$(basename "$found" | cut -d- -f1)-$name"
    echo "fault input kept: $kept/$(basename "$found" | cut -d- -f1)-$name (reproduce: build/fuzz/bin/nebulastra_fuzz_$t $kept/...)"
    rm -f "$found"
    status=1
  done
done
exit $status
