#!/usr/bin/env bash
# The renderer's performance baseline in one command. Builds the native Release build, then:
#   micro         Google Benchmark kernels (noise, frame preparation, density samples, one pixel),
#                 5 repetitions, medians reported
#   frames        wall time of one 480x270 frame of every example through nebulastra-render
#                 (hyperfine, median of 5 runs), and the same frame held to one core for the
#                 thread-scaling ratio
#   instructions  instructions executed for one frame of every example (valgrind callgrind;
#                 deterministic, unlike times on a shared machine), with the top functions
#   baseline      only build the baseline commit (BENCH_BASELINE, default 6f78826, the last build
#                 before the SIMD kernels) in its own git worktree, out/bench/baseline
#   paths         frame 0 of every example (480x270) through the baseline build and through every
#                 render path (--isa scalar, sse2, avx2, avx512) of the current build that this
#                 processor runs: hyperfine runs alternating between them, median and least times
#                 and speed-ups against the baseline and the scalar path, whether each path drew
#                 the scalar path's exact pixels (and whether the baseline did), and callgrind
#                 instruction counts of the AVX2 path
#                 next to the baseline's (valgrind cannot run AVX-512); builds the baseline first
#   versus        frame 0 of each example at BENCH_PATHS_RESOLUTION (default half) through the same
#                 render path of the baseline build and of this one, for every path both run,
#                 alternating round by round: median user CPU and wall time, this build's speed-up
#                 by user time, and whether both drew the same bytes; callgrind instruction counts
#                 of both AVX2 paths unless BENCH_PATHS_INSTRUCTIONS=0. Meant with
#                 BENCH_BASELINE=<an earlier commit of the SIMD kernel>
# and prints a summary table. Results stay in out/bench/.
#
# Usage: scripts/bench.sh [--quick] [--scene NAME]... [micro|frames|instructions|baseline|paths|versus|all|summary]...
#   summary       only print the tables again from the results already in out/bench/
#   all           micro, frames and instructions (paths needs the baseline build: ask for it)
#   --quick       instruction counts at quarter resolution (120x68) instead of the full frame:
#                 callgrind runs the threads one at a time at ~14x the native CPU time, so a
#                 full frame costs 4-8 minutes per example here; paths also times quarter frames
#   --scene NAME  only this example (examples/NAME.json) in frames, instructions and paths;
#                 repeatable
# Environment: BENCH_RUNS (frame runs, and alternating rounds in paths; default 5), BENCH_REPS
#   (micro repetitions, default 5), BENCH_SCALING_SCENE (the example also timed on one core,
#   default single_white_cloud or else the first --scene), BENCH_BASELINE (commit, default
#   6f78826), BENCH_PATHS_INSTRUCTIONS=0 (paths without callgrind), BENCH_PATHS_RESOLUTION (full,
#   half, third or quarter: the paths' timed frames; default full, quarter with --quick).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

usage() { sed -n '2,/^[^#]/p' "${BASH_SOURCE[0]}" | sed '$d' | sed 's/^# \{0,1\}//'; }

quick=0
sections=()
scenes=()
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1 ;;
        --scene) shift; scenes+=("${1:?--scene needs a name}") ;;
        micro|frames|instructions|baseline|paths|versus|summary) sections+=("$1") ;;
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
{ wants paths || wants versus; } && require_packages hyperfine
{ wants instructions || { { wants paths || wants versus; } && [ "${BENCH_PATHS_INSTRUCTIONS:-1}" != 0 ]; }; } &&
    require_packages valgrind

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

if wants micro || wants frames || wants instructions || wants paths || wants versus; then
    echo "=== build (linux preset)"
    build_preset linux >/dev/null
fi
bin=build/linux/bin
out=out/bench
mkdir -p "$out/images"

# The baseline: the commit before the SIMD kernels, checked out in its own worktree and built
# there (only the effect and the render tool), so both builds can run side by side.
baseline_commit=${BENCH_BASELINE:-6f78826}
baseline_dir=$out/baseline
baseline_bin=$baseline_dir/build/linux/bin
if wants baseline || wants paths || wants versus; then
    want=$(git rev-parse --verify "$baseline_commit^{commit}")
    if [ -d "$baseline_dir" ] && [ "$(git -C "$baseline_dir" rev-parse HEAD 2>/dev/null)" != "$want" ]; then
        echo "=== baseline: $baseline_dir holds another commit; replacing it"
        git worktree remove --force "$baseline_dir"
    fi
    if [ ! -d "$baseline_dir" ]; then
        git worktree prune
        git worktree add --detach "$baseline_dir" "$want" >/dev/null
    fi
    echo "=== baseline: build of $(git log -1 --format='%h %s' "$want") in $baseline_dir"
    (cd "$baseline_dir" && nice -n 10 cmake --preset linux >/dev/null &&
        nice -n 10 cmake --build --preset linux -j "$(njobs)" --target Nebulastra nebulastra-render >/dev/null)
fi

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

# Frame 0 of each example through the baseline and each render path, the variants alternating
# round by round (a burst of other work on the shared machine then slows all of them alike). The
# first, untimed round writes each variant's float frame, to check that every path draws the
# baseline's pixels exactly, and finds the paths this processor refuses (the tool exits 2).
paths_resolution=full
[ $quick -eq 1 ] && paths_resolution=quarter
paths_resolution=${BENCH_PATHS_RESOLUTION:-$paths_resolution}
isa_paths=(scalar sse2 avx2 avx512)
path_command() {  # path_command VARIANT SCENE: the command line, without the output file
    local variant=$1 scene=$2
    local common="examples/$scene.json --frames 0 --resolution $paths_resolution --depth 32"
    if [ "$variant" = baseline ]; then
        echo "$baseline_bin/nebulastra-render $common"
    else
        echo "$bin/nebulastra-render $common --isa $variant"
    fi
}
if wants paths; then
    pout=$out/paths
    mkdir -p "$pout"
    for s in "${scenes[@]}"; do
        variants=()
        for v in baseline "${isa_paths[@]}"; do
            err=$pout/${s}_$v.err
            # shellcheck disable=SC2046
            if $(path_command "$v" "$s") -o "$pout/${s}_$v.exr" 2>"$err"; then
                variants+=("$v")
            elif grep -q '^--isa' "$err"; then
                echo "=== paths: $v: $(cat "$err")"
                rm -f "$pout/${s}_$v.exr"
            else
                cat "$err" >&2
                exit 1
            fi
            rm -f "$err"
        done
        printf '%s\n' "${variants[@]}" >"$pout/${s}_variants.txt"
        echo "=== paths: $s at $paths_resolution resolution, $runs alternating rounds of: ${variants[*]}"
        for v in "${variants[@]}"; do : >"$pout/${s}_${v}_$paths_resolution.times"; done
        for ((r = 0; r < runs; r++)); do
            # Rotate the order each round so no variant always follows the same one.
            for ((i = 0; i < ${#variants[@]}; i++)); do
                v=${variants[$(((i + r) % ${#variants[@]}))]}
                hyperfine -N --style none --runs 1 --export-json "$pout/run.json" \
                    "$(path_command "$v" "$s") -o $pout/timed_$v.exr" >/dev/null
                jq -r '.results[0] | "\(.times[0]) \(.user)"' "$pout/run.json" >>"$pout/${s}_${v}_$paths_resolution.times"
            done
        done
        rm -f "$pout/run.json" "$pout"/timed_*.exr
        if [ "${BENCH_PATHS_INSTRUCTIONS:-1}" != 0 ]; then
            for v in baseline avx2; do
                [[ " ${variants[*]} " == *" $v "* ]] || continue
                echo "=== paths: instructions of $s, $v, at $resolution resolution (callgrind; slow)"
                cg=$pout/callgrind_${s}_${v}_$resolution
                # shellcheck disable=SC2046
                nice -n 19 valgrind --tool=callgrind --callgrind-out-file="$cg.out" \
                    $(path_command "$v" "$s") -o "$pout/cg_$v.exr" 2>"$cg.log" \
                    || { cat "$cg.log" >&2; exit 1; }
                rm -f "$pout/cg_$v.exr"
            done
        fi
    done
fi

# Each render path of the baseline build against the same path of this build, alternating.
versus_resolution=${BENCH_PATHS_RESOLUTION:-half}
if wants versus; then
    vout=$out/versus
    mkdir -p "$vout"
    for s in "${scenes[@]}"; do
        common=(examples/$s.json --frames 0 --resolution "$versus_resolution" --depth 32)
        variants=()
        for isa in "${isa_paths[@]}"; do
            if "$baseline_bin/nebulastra-render" "${common[@]}" --isa "$isa" -o "$vout/${s}_${isa}_base.exr" 2>/dev/null &&
                "$bin/nebulastra-render" "${common[@]}" --isa "$isa" -o "$vout/${s}_${isa}_new.exr" 2>/dev/null; then
                variants+=("$isa")
            fi
        done
        echo "=== versus: $s at $versus_resolution resolution, $runs alternating rounds of: ${variants[*]}"
        for isa in "${variants[@]}"; do : >"$vout/${s}_${isa}_base.times"; : >"$vout/${s}_${isa}_new.times"; done
        for ((r = 0; r < runs; r++)); do
            for isa in "${variants[@]}"; do
                for which in base new; do
                    tool=$bin/nebulastra-render
                    [ $which = base ] && tool=$baseline_bin/nebulastra-render
                    hyperfine -N --style none --runs 1 --export-json "$vout/run.json" \
                        "$tool ${common[*]} --isa $isa -o $vout/timed.exr" >/dev/null
                    jq -r '.results[0] | "\(.times[0]) \(.user)"' "$vout/run.json" >>"$vout/${s}_${isa}_$which.times"
                done
            done
        done
        rm -f "$vout/run.json" "$vout/timed.exr"
        if [ "${BENCH_PATHS_INSTRUCTIONS:-1}" != 0 ] && [[ " ${variants[*]} " == *" avx2 "* ]]; then
            for which in base new; do
                tool=$bin/nebulastra-render
                [ $which = base ] && tool=$baseline_bin/nebulastra-render
                echo "=== versus: instructions of $s, $which, avx2 (callgrind; slow)"
                nice -n 19 valgrind --tool=callgrind --callgrind-out-file="$vout/callgrind_${s}_$which.out" \
                    "$tool" "${common[@]}" --isa avx2 -o "$vout/cg.exr" 2>"$vout/cg.log" || { cat "$vout/cg.log" >&2; exit 1; }
                rm -f "$vout/cg.exr" "$vout/cg.log"
            done
        fi
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
if shows paths "$out/paths/${scenes[0]}_variants.txt"; then
    pout=$out/paths
    # Median and least time of one variant's rounds, and the median of its user CPU time.
    tstat() {  # tstat FILE COLUMN median|min
        [ -s "$1" ] || { echo ""; return; }
        sort -g -k"$2","$2" "$1" | awk -v c="$2" -v what="$3" '{ v[NR] = $c }
            END { if (what == "min") print v[1];
                  else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
    }
    echo
    echo "render paths, frame 0 at $paths_resolution resolution, $runs alternating rounds:" \
        "median wall time (least) [speed-up vs baseline / vs scalar, by medians]"
    printf '%-20s' "example"
    for v in baseline "${isa_paths[@]}"; do printf ' %-30s' "$v"; done
    printf ' %s\n' "pixels"
    for s in "${scenes[@]}"; do
        [ -s "$pout/${s}_variants.txt" ] || continue
        printf '%-20s' "$s"
        base=$(tstat "$pout/${s}_baseline_$paths_resolution.times" 1 median)
        scalar=$(tstat "$pout/${s}_scalar_$paths_resolution.times" 1 median)
        for v in baseline "${isa_paths[@]}"; do
            f=$pout/${s}_${v}_$paths_resolution.times
            med=$(tstat "$f" 1 median)
            if [ -z "$med" ]; then printf ' %-30s' "-"; continue; fi
            cell=$(awk -v m="$med" -v n="$(tstat "$f" 1 min)" -v b="$base" -v s="$scalar" 'BEGIN {
                out = sprintf("%.2f s (%.2f)", m, n)
                if (b != "") out = out sprintf(" %.2fx", b / m)
                if (s != "") out = out sprintf(" / %.2fx", s / m)
                print out }')
            printf ' %-30s' "$cell"
        done
        # Every path must draw the scalar path's frame exactly. The baseline differs from them in
        # the last bits where the C library's maths functions (now the effect's own) rounded
        # differently; the summary says whether it does.
        differ=""
        while read -r v; do
            if [ "$v" != baseline ] && [ "$v" != scalar ] && ! cmp -s "$pout/${s}_$v.exr" "$pout/${s}_scalar.exr"; then
                differ+=" $v"
            fi
        done <"$pout/${s}_variants.txt"
        note="all paths same"
        [ -n "$differ" ] && note="DIFFER from scalar:$differ"
        if cmp -s "$pout/${s}_scalar.exr" "$pout/${s}_baseline.exr"; then note+=", = baseline"; else note+=", baseline differs (maths)"; fi
        printf ' %s\n' "$note"
    done
    if ls "$pout"/callgrind_*_"$resolution".out >/dev/null 2>&1; then
        echo
        printf '%-20s %16s %16s %12s\n' "instructions ($resolution)" "baseline" "avx2" "avx2/base"
        for s in "${scenes[@]}"; do
            b=$(instr "$pout/callgrind_${s}_baseline_$resolution.out")
            a=$(instr "$pout/callgrind_${s}_avx2_$resolution.out")
            ratio=$(awk -v a="${a% G}" -v b="${b% G}" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "%.3f", a / b; else print "-" }')
            printf '%-20s %16s %16s %12s\n' "$s" "$b" "$a" "$ratio"
        done
    fi
fi

if shows versus "$out/versus/${scenes[0]}_avx2_new.times"; then
    vout=$out/versus
    # The median of a column of a times file (1 wall, 2 user).
    vmedian() { sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
    echo
    echo "baseline $(git rev-parse --short "$baseline_commit") against this build, frame 0 at $versus_resolution resolution," \
        "$runs alternating rounds: median user (wall) seconds and speed-up by user time"
    printf '%-20s %-7s %-16s %-16s %8s  %s\n' "example" "path" "baseline" "this build" "speed-up" "pixels"
    for s in "${scenes[@]}"; do
        for isa in "${isa_paths[@]}"; do
            [ -s "$vout/${s}_${isa}_new.times" ] || continue
            bu=$(vmedian "$vout/${s}_${isa}_base.times" 2) bw=$(vmedian "$vout/${s}_${isa}_base.times" 1)
            nu=$(vmedian "$vout/${s}_${isa}_new.times" 2) nw=$(vmedian "$vout/${s}_${isa}_new.times" 1)
            same="same bytes"
            cmp -s "$vout/${s}_${isa}_base.exr" "$vout/${s}_${isa}_new.exr" || same="DIFFER"
            awk -v s="$s" -v i="$isa" -v bu="$bu" -v bw="$bw" -v nu="$nu" -v nw="$nw" -v same="$same" 'BEGIN {
                printf "%-20s %-7s %5.2f (%5.2f)    %5.2f (%5.2f)    %7.2fx  %s\n", s, i, bu, bw, nu, nw, bu / nu, same }'
        done
        b=$(instr "$vout/callgrind_${s}_base.out") n=$(instr "$vout/callgrind_${s}_new.out")
        [ "$b" != "-" ] && [ "$n" != "-" ] && awk -v s="$s" -v b="${b% G}" -v n="${n% G}" 'BEGIN {
            printf "%-20s avx2 instructions: baseline %.3f G, this build %.3f G (%.2fx fewer)\n", s, b, n, b / n }'
    done
fi

