#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (CTest's emulator).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
kolvar_ensure_wine_prefix
# The first Wine program of a prefix starts its background programs (services,
# devices), which keep that program's standard output and error open as long as
# any Wine program of the prefix runs: CTest, waiting for those to close, timed
# the core tests out while the end-to-end cases ran beside them. So the program
# writes to files, passed on once it has ended.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$@" >"$out" 2>"$err" </dev/null || status=$?
cat "$out"
cat "$err" >&2
exit $status
