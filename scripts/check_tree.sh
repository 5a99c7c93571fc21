#!/usr/bin/env bash
# Fails when the repository tracks a file that is no part of the project: an entry at the top that
# is not in the list below, or anything a run leaves behind (process ids, logs, editor and merge
# leftovers, object files and binaries). The build and a run's output live under build/, out/ and
# dist/, which .gitignore keeps out; this check catches what is added by hand all the same.
# Usage: scripts/check_tree.sh [REPO]     (exit 77, skipped, outside a git work tree)
set -uo pipefail
repo=${1:-$(dirname "${BASH_SOURCE[0]}")/..}
cd "$repo" || exit 1
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "skipped: not a git work tree"; exit 77; }

allowed_top=".ci .clang-format .gitignore CMakeLists.txt CMakePresets.json README.md bench cmake docs
examples packaging scripts src tests tools"
stray_pattern='\.(pid|log|orig|rej|tmp|swp|bak|o|obj|a|so|dll|exe|aex|msi)$|~$|(^|/)\.DS_Store$|(^|/)core(\.[0-9]+)?$'

status=0
while IFS= read -r top; do
    case " $(echo $allowed_top) " in
    *" $top "*) ;;
    *) echo "stray: '$top' is tracked at the top of the tree but is no part of the project"; status=1 ;;
    esac
done < <(git ls-files | cut -d/ -f1 | sort -u)
while IFS= read -r file; do
    echo "stray: '$file' is tracked but is a leftover of a run or a build"
    status=1
done < <(git ls-files | grep -E "$stray_pattern")
[ $status -eq 0 ] && echo "tree: only the project's own files are tracked"
exit $status
