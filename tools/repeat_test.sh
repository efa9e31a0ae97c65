#!/usr/bin/env bash
# Runs one test command N times in a row, to prove a test that drives a real client holds:
#   tools/repeat_test.sh N COMMAND [ARGS...]
# A line per run (its status, how long it took, the machine's load as it ended), the output of
# every failed run in LOG_DIR (default: a new folder under /tmp), and last "N passed, N failed".
set -uo pipefail
runs=$1
shift
logs=${LOG_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/poromea-repeat.XXXXXX")}
mkdir -p "$logs"
passed=0 failed=0
for ((i = 1; i <= runs; i++)); do
    start=$SECONDS
    if "$@" >"$logs/run-$i.log" 2>&1 </dev/null; then
        passed=$((passed + 1)) result=passed
        rm -f "$logs/run-$i.log"
    else
        failed=$((failed + 1)) result="FAILED (status $?, $logs/run-$i.log)"
    fi
    printf 'run %2d: %s in %ss, load %s\n' "$i" "$result" "$((SECONDS - start))" "$(cut -d' ' -f1-3 /proc/loadavg)"
done
echo "$passed passed, $failed failed"
exit $((failed > 0))
