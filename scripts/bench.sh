#!/usr/bin/env bash
# The renderer's performance baseline in one command. Builds the native Release build, then:
#   micro         Google Benchmark kernels (noise, frame preparation, density samples, one pixel),
#                 5 repetitions, medians reported
#   frames        wall time of one 480x270 frame of every example through nebulastra-render
#                 (hyperfine, median of 5 runs), and the same frame held to one core for the
#                 thread-scaling ratio
#   instructions  instructions executed for one frame of every example (valgrind callgrind;
#                 deterministic, unlike times on a shared machine), with the top functions
# and prints a summary table. Results stay in out/bench/.
#
# Usage: scripts/bench.sh [--quick] [--scene NAME]... [micro|frames|instructions|all|summary]...
#   summary       only print the table again from the results already in out/bench/
#   --quick       instruction counts at quarter resolution (120x68) instead of the full frame:
#                 callgrind runs the threads one at a time at ~14x the native CPU time, so a
#                 full frame costs 4-8 minutes per example here
#   --scene NAME  only this example (examples/NAME.json) in frames and instructions; repeatable
# Environment: BENCH_RUNS (frame runs, default 5), BENCH_REPS (micro repetitions, default 5),
#   BENCH_SCALING_SCENE (the example also timed on one core, default single_white_cloud or else
#   the first --scene).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

usage() { sed -n '2,20p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }

quick=0
sections=()
scenes=()
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1 ;;
        --scene) shift; scenes+=("${1:?--scene needs a name}") ;;
        micro|frames|instructions|summary) sections+=("$1") ;;
        all) sections+=(micro frames instructions) ;;
        -h|--help) usage; exit 0 ;;
        *) echo "error: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    esac
    shift
done
[ ${#sections[@]} -eq 0 ] && sections=(micro frames instructions)
wants() { local s; for s in "${sections[@]}"; do [ "$s" = "$1" ] && return 0; done; return 1; }
# A section's results go into the summary when it ran now, or when only the summary was asked for.
shows() { wants "$1" || { wants summary && [ -e "$2" ]; }; }

runs=${BENCH_RUNS:-5}
reps=${BENCH_REPS:-5}
resolution=full
[ $quick -eq 1 ] && resolution=quarter

require_packages $NATIVE_PACKAGES jq
wants frames && require_packages hyperfine util-linux
wants instructions && require_packages valgrind

cd "$NEBULASTRA_ROOT"
if [ ${#scenes[@]} -eq 0 ]; then
    for f in examples/*.json; do scenes+=("$(basename "$f" .json)"); done
fi
for s in "${scenes[@]}"; do
    [ -f "examples/$s.json" ] || { echo "error: no examples/$s.json" >&2; exit 2; }
done
# The one-core frame is compared with the same scene's two-core frame, so it must be among them.
scaling_scene=${BENCH_SCALING_SCENE:-single_white_cloud}
[[ " ${scenes[*]} " == *" $scaling_scene "* ]] || scaling_scene=${scenes[0]}

if wants micro || wants frames || wants instructions; then
    echo "=== build (linux preset)"
    build_preset linux >/dev/null
fi
bin=build/linux/bin
out=out/bench
mkdir -p "$out/images"

# One frame (frame 0) of an example at the given resolution; the image goes to out/bench/images
# (its extension follows the scene's depth).
render_args() { echo "examples/$1.json --frames 0 --resolution $2 -o $out/images/$1_$2"; }

if wants micro; then
    echo "=== micro: nebulastra_bench, $reps repetitions"
    "$bin/nebulastra_bench" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/micro.json" --benchmark_out_format=json
fi

if wants frames; then
    for s in "${scenes[@]}"; do
        echo "=== frames: $s, 480x270, $runs runs"
        hyperfine -N --style basic --warmup 0 --runs "$runs" --export-json "$out/frame_$s.json" \
            "$bin/nebulastra-render $(render_args "$s" full)"
    done
    echo "=== frames: $scaling_scene held to one core (taskset -c 0), $runs runs"
    hyperfine -N --style basic --warmup 0 --runs "$runs" --export-json "$out/frame_${scaling_scene}_1core.json" \
        "taskset -c 0 $bin/nebulastra-render $(render_args "$scaling_scene" full)"
fi

if wants instructions; then
    for s in "${scenes[@]}"; do
        echo "=== instructions: $s at $resolution resolution (callgrind; slow)"
        cg="$out/callgrind_${s}_$resolution"
        # shellcheck disable=SC2046
        nice -n 19 valgrind --tool=callgrind --callgrind-out-file="$cg.out" \
            "$bin/nebulastra-render" $(render_args "$s" "$resolution") 2>"$cg.log" \
            || { cat "$cg.log" >&2; exit 1; }
        # The functions that together make up 99% of the instructions, by their own count.
        callgrind_annotate --inclusive=no "$cg.out" >"$cg.txt"
        echo "top functions (self): $cg.txt"
    done
fi

# ---- summary ----------------------------------------------------------------------------------
echo
echo "=== summary ($(date -u +%Y-%m-%d), $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg))"
if shows micro "$out/micro.json"; then
    echo
    # CPU time leaves out the time another process held the core; the whole-frame benchmarks
    # run on their own threads, so only their real time means anything.
    printf '%-40s %14s %14s\n' "benchmark (median of $reps)" "real" "cpu"
    jq -r '.benchmarks[] | select(.aggregate_name == "median")
           | [.run_name, .real_time, .cpu_time, .time_unit] | @tsv' "$out/micro.json" |
        awk -F'\t' '{ printf "%-40s %11.1f %-2s %11.1f %-2s\n", $1, $2, $4, $3, $4 }'
fi
# The total instruction count callgrind writes into its output file ("summary:" or "totals:").
instr() {
    [ -s "$1" ] && awk '/^(summary|totals):/ { printf "%.3f G\n", $2 / 1e9; exit }' "$1" || echo "-"
}
# Median and least wall time and mean user CPU time of a hyperfine result: when other work shares
# the machine the median drifts, the least time and the CPU time much less.
seconds() {
    [ -s "$1" ] && jq -r '.results[0] | "\(.median * 100 | round / 100) / \(.min * 100 | round / 100) / \(.user * 100 | round / 100) s"' "$1" \
        || echo "-"
}
if shows frames "$out/frame_${scenes[0]}.json" || shows instructions "$out/callgrind_${scenes[0]}_$resolution.out"; then
    echo
    printf '%-22s %-28s %18s\n' "example" "480x270: median/min/user" "instr ($resolution)"
    for s in "${scenes[@]}"; do
        printf '%-22s %-28s %18s\n' "$s" "$(seconds "$out/frame_$s.json")" \
            "$(instr "$out/callgrind_${s}_$resolution.out")"
    done
fi
if shows frames "$out/frame_${scaling_scene}_1core.json"; then
    # Medians and least times: the least is the one other work on the machine disturbs least.
    f1="$out/frame_${scaling_scene}_1core.json"
    f2="$out/frame_$scaling_scene.json"
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f s / %.2f s = %.2f", a, b, a / b }'; }
    echo
    echo "thread scaling, $scaling_scene, 1 core / 2 cores:"
    echo "  median $(ratio "$(jq '.results[0].median' "$f1")" "$(jq '.results[0].median' "$f2")")"
    echo "  min    $(ratio "$(jq '.results[0].min' "$f1")" "$(jq '.results[0].min' "$f2")")"
fi
