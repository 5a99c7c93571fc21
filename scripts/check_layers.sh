#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not depend on, so the layers of
# docs/architecture.md stay true: the host declarations at the bottom, the kernel knowing nothing
# of the host, and only the entry points seeing every layer.
#
#   scripts/check_layers.sh [SRC_DIR]     (default: the tree's src/)
#
# Each folder is a layer; the table below lists what each may include besides itself. A folder not
# in the table is an error too, so a new folder has to be placed before it can be used.
set -euo pipefail

src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}

# layer: the layers it may include (besides its own)
declare -A allowed=(
    [host]=""
    [math]=""
    [records]=""
    [render]="records math"
    [hostio]="host"
    [params]="host hostio records math"
    [scene]="host hostio records"
    [entry]="host hostio records math render params scene"
)

# The layer of a path relative to src/: its first folder, except the kernel's own maths, a leaf
# that the parameter conversions share.
layer_of() {
    case $1 in
    render/math/*) echo math ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

status=0
checked=0
while IFS= read -r file; do
    rel=${file#"$src"/}
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
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inl' -o -name '*.inc' \) | sort)

if [[ $checked -eq 0 ]]; then
    echo "no includes found under $src" >&2
    exit 1
fi
[[ $status -eq 0 ]] && echo "layers: $checked includes checked, none upward"
exit $status
