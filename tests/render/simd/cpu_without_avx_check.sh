#!/usr/bin/env bash
# The effect on a processor without AVX: nebulastra-render and the native effect library run under
# QEMU's user-mode emulation of a Westmere CPU (SSE4.2, no AVX), whose CPUID the dispatcher reads.
# The frame must be the one the machine's own scalar path draws, and asking for the AVX2 path must
# be refused with the tool's bad-argument status instead of faulting.
# Usage: cpu_without_avx_check.sh BIN_DIR SCENE_JSON. Exit 77 (skipped) without qemu-x86_64.
set -uo pipefail
bin=$1 scene=$2
qemu=$(command -v qemu-x86_64) || { echo "skipped: qemu-x86_64 not installed (Debian package qemu-user)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
args=(--frames 0 --resolution quarter --depth 32)

"$bin/nebulastra-render" "$scene" "${args[@]}" --isa scalar -o "$work/native.nbrf" >/dev/null || exit 1
"$qemu" -cpu Westmere "$bin/nebulastra-render" "$scene" "${args[@]}" -o "$work/westmere.nbrf" >/dev/null || {
    echo "error: the auto-selected path failed on an emulated CPU without AVX"
    exit 1
}
"$bin/nebulastra-frame-diff" "$work/native.nbrf" "$work/westmere.nbrf" || exit 1

"$qemu" -cpu Westmere "$bin/nebulastra-render" "$scene" "${args[@]}" --isa avx2 -o "$work/avx2.nbrf" 2>"$work/err"
status=$?
if [ $status -ne 2 ]; then
    echo "error: --isa avx2 on a CPU without AVX exited with $status, expected 2"
    exit 1
fi
echo "refused as expected: $(cat "$work/err")"
