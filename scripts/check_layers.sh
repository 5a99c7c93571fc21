#!/usr/bin/env bash
# Fails when a file includes a header of a layer it may not depend on, so the layers of
# docs/architecture.md stay true. In src/: the host declarations at the bottom, the kernel knowing
# nothing of the host, and only the entry points seeing every layer. In tools/: the scene model and
# the effect library at the bottom, the lean host on them, the strict host on the lean host, the
# programs on the hosts; a tool names the src/ layers it may include as well.
#
#   scripts/check_layers.sh [DIR...]     (default: the tree's src/ and tools/)
#
# Each DIR is checked with the table of its name (src or tools). Each folder is a layer; a table
# lists what each may include besides itself. A folder not in its table is an error too, so a new
# folder has to be placed before it can be used.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dirs=("$@")
[[ ${#dirs[@]} -eq 0 ]] && dirs=("$root/src" "$root/tools")

# layer: the layers it may include (besides its own)
declare -A src_allowed=(
    [host]=""
    [math]=""
    [records]=""
    [render]="records math"
    [hostio]="host"
    [params]="host hostio records math"
    [scene]="host hostio records"
    [entry]="host hostio records math render params scene"
)
declare -A tools_allowed=(
    [scenefile]="host params"
    [effectlib]=""
    [raw_frame]=""
    [leanhost]="scenefile effectlib host"
    [scenehost]="leanhost scenefile effectlib host"
    [render_tool]="leanhost scenehost scenefile effectlib raw_frame host"
    [fuzz]="scenehost scenefile host"
    [frame_diff]="raw_frame"
    [pipl]="entry"
)

# The layer of an include or of a path relative to its tree: its first folder, except the
# kernel's own maths, a leaf that the parameter conversions share.
layer_of() {
    case $1 in
    render/math/*) echo math ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

status=0
checked=0
for dir in "${dirs[@]}"; do
    dir=${dir%/}
    case $(basename "$dir") in
    src) declare -n allowed=src_allowed ;;
    tools) declare -n allowed=tools_allowed ;;
    *)
        echo "$dir: not a src/ or tools/ folder" >&2
        exit 2
        ;;
    esac
    while IFS= read -r file; do
        rel=${file#"$dir"/}
        from=$(layer_of "$rel")
        if [[ -z $from || ! -v "allowed[$from]" ]]; then
            echo "$rel: folder '${rel%%/*}' is not a layer of docs/architecture.md" >&2
            status=1
            continue
        fi
        while IFS= read -r line; do
            number=${line%%:*}
            target=$(sed -E 's/^[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
            to=$(layer_of "$target")
            checked=$((checked + 1))
            [[ -z $to || $to == "$from" ]] && continue
            if [[ " ${allowed[$from]} " != *" $to "* ]]; then
                echo "$rel:$number: layer '$from' may not include '$target' (layer '$to')" >&2
                status=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
    done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inl' -o -name '*.inc' \) | sort)
    unset -n allowed
done

if [[ $checked -eq 0 ]]; then
    echo "no includes found under ${dirs[*]}" >&2
    exit 1
fi
[[ $status -eq 0 ]] && echo "layers: $checked includes checked, none upward"
exit $status
