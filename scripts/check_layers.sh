#!/usr/bin/env bash
# Fails when a file includes a header of a layer it may not depend on, so the layers of
# docs/architecture.md stay true. In src/: the host declarations at the bottom, the kernel knowing
# nothing of the host, and only the entry points seeing every layer. In tools/: the scene model and
# the effect library at the bottom, the lean host on them, the strict host on the lean host, the
# programs on the hosts; a tool names the src/ layers it may include as well.
#
#   scripts/check_layers.sh [DIR...]     (default: the tree's src/ and tools/)
#
# Each DIR is a src/ or a tools/ folder. Each folder in it is a layer; the table lists what each
# may include besides itself. A folder not in its table is an error too, so a new
# folder has to be placed before it can be used.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dirs=("$@")
[[ ${#dirs[@]} -eq 0 ]] && dirs=("$root/src" "$root/tools")

# tree/layer: the layers it may include (besides its own)
declare -A allowed=(
    [src/host]=""
    [src/math]=""
    [src/records]=""
    [src/render]="records math"
    [src/hostio]="host"
    [src/params]="host hostio records math"
    [src/scene]="host hostio records"
    [src/entry]="host hostio records math render params scene"
    [tools/scenefile]="host params"
    [tools/effectlib]=""
    [tools/raw_frame]=""
    [tools/leanhost]="scenefile effectlib host"
    [tools/scenehost]="leanhost scenefile effectlib host"
    [tools/render_tool]="leanhost scenehost scenefile effectlib raw_frame host"
    [tools/fuzz]="scenehost scenefile host"
    [tools/frame_diff]="raw_frame"
    [tools/pipl]="entry"
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
    tree=$(basename "$dir")
    if [[ $tree != src && $tree != tools ]]; then
        echo "$dir: not a src/ or tools/ folder" >&2
        exit 2
    fi
    while IFS= read -r file; do
        rel=${file#"$dir"/}
        from=$(layer_of "$rel")
        if [[ -z $from || ! -v "allowed[$tree/$from]" ]]; then
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
            if [[ " ${allowed[$tree/$from]} " != *" $to "* ]]; then
                echo "$rel:$number: layer '$from' may not include '$target' (layer '$to')" >&2
                status=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
    done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inl' -o -name '*.inc' \) | sort)
done

if [[ $checked -eq 0 ]]; then
    echo "no includes found under ${dirs[*]}" >&2
    exit 1
fi
[[ $status -eq 0 ]] && echo "layers: $checked includes checked, none upward"
exit $status
