#!/usr/bin/env bash
# make test's runners, side by side: tests/run_suites.sh LOGDIR AT_ONCE 'NAME=COMMAND' ...
# Each COMMAND runs in the background with its output in a log of LOGDIR, printed whole as it ends,
# so that the runners' lines never interleave; at most AT_ONCE of them at a time, in the order given,
# the next starting as one ends. Then one line per runner with what it counted, and last their sum,
# "N passed, N failed". A runner that ends in failure but counted none, or counted nothing at all,
# adds one failure: it did not finish.
set -uo pipefail
logs=$1 atOnce=$2
shift 2
mkdir -p "$logs"
runners=("$@") names=()
for runner in "${runners[@]}"; do names+=("${runner%%=*}"); done

declare -A status=() running=()
next=0
while ((next < ${#runners[@]} || ${#running[@]} > 0)); do
    while ((next < ${#runners[@]} && ${#running[@]} < atOnce)); do
        name=${names[$next]}
        bash -c "${runners[$next]#*=}" >"$logs/${name// /-}.log" 2>&1 </dev/null &
        running[$!]=$next
        echo "== $name: started, after ${SECONDS}s"
        next=$((next + 1))
    done
    wait -n -p done "${!running[@]}"
    code=$?
    i=${running[$done]}
    unset "running[$done]"
    status[${names[$i]}]=$code
    echo "== ${names[$i]}: ended ($code), after ${SECONDS}s"
    log=${names[$i]}
    cat "$logs/${log// /-}.log"
done

# What each runner's own closing lines say: ctest's percentage line, "# pass"/"# fail" of node's
# test runner, or a plain "[word:] N passed, N failed".
count() {
    awk '
        /tests passed, [0-9]+ tests? failed out of [0-9]+/ {
            for (i = 1; i <= NF; i++) { if ($i == "failed") f = $(i - 2) + 0; if ($i == "of") t = $(i + 1) + 0 }
            p = t - f; seen = 1 }
        /^# pass [0-9]+$/ { p = $3 + 0; seen = 1 }
        /^# fail [0-9]+$/ { f = $3 + 0; seen = 1 }
        /^([A-Za-z0-9_-]+: )?[0-9]+ passed, [0-9]+ failed/ { sub(/^[A-Za-z0-9_-]+: /, ""); p = $1 + 0; f = $3 + 0; seen = 1 }
        END { if (seen) print p, f; else print "none" }' "$1"
}

echo
passed=0 failed=0
for name in "${names[@]}"; do
    read -r p f <<<"$(count "$logs/${name// /-}.log")"
    note=""
    if [ "$p" = none ]; then
        p=0 f=1 note=" (counted no test: it did not finish)"
    elif [ "${status[$name]}" != 0 ] && [ "$f" = 0 ]; then
        f=1 note=" (and it ended in failure, status ${status[$name]})"
    fi
    echo "$name: $p passed, $f failed$note"
    passed=$((passed + p)) failed=$((failed + f))
done
echo "$passed passed, $failed failed"
exit $((failed > 0))
