#!/usr/bin/env bash
# Puts every C++ file of the project (src, tests, tools, bench) into the style of .clang-format, or,
# with --check, changes nothing and fails naming each file that is not in that style.
#
#   scripts/format.sh            format in place
#   scripts/format.sh --check    check only (exit 1 when a file differs, 77 when clang-format is missing)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
check=0
case ${1:-} in
--check) check=1 ;;
"") ;;
*) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# The version Debian 12 ships; another version may break lines differently.
formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $formatter ]]; then
    echo "clang-format is not installed (Debian package clang-format); skipping" >&2
    exit 77
fi

cd "$root"
# Generated tables (*.inc) keep the layout of their generator.
mapfile -t files < <(find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) | sort)

if [[ $check -eq 0 ]]; then
    "$formatter" --style=file -i "${files[@]}"
    echo "formatted ${#files[@]} files"
    exit 0
fi

status=0
for f in "${files[@]}"; do
    if ! "$formatter" --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f" >&2
        status=1
    fi
done
[[ $status -eq 0 ]] && echo "format: ${#files[@]} files in the project's style"
exit $status
