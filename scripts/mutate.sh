#!/usr/bin/env bash
# Mutation pass over src/: plants each fault listed in tests/mutation/mutants.txt in a scratch copy
# of the tree (build/mutation), rebuilds the native test program and reports which faults the tests
# catch. Slow (tens of seconds per mutant on one core) and therefore not part of CI; resumable: run
# it again after an interruption and it continues.
# Usage: scripts/mutate.sh [--fresh] [--only TEXT] [--list] [--matrix]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
require_packages $NATIVE_PACKAGES python3
exec nice -n "${MUTATION_NICE:-15}" python3 "$NEBULASTRA_ROOT/scripts/lib/mutate.py" "$@"
