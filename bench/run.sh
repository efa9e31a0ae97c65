#!/usr/bin/env bash
# Start-up of the game against an empty window of the same toolkit, side by
# side on one private X server, then the cost of each event handler.
#
#   bench/run.sh [BUILD_DIR]      (make bench builds first, then runs this)
#
# ROUNDS x RUNS start-ups of each program are timed, the two alternating
# round by round so that a busy neighbour slows both alike; the figures are
# medians over every run.
set -euo pipefail

build=${1:-build}
rounds=${ROUNDS:-12}
runs=${RUNS:-5}
rss_runs=${RSS_RUNS:-9}

game=$build/bench/startup_game
empty=$build/bench/startup_empty
handlers=$build/bench/handlers_bench
for f in "$game" "$empty" "$handlers" "$build/poromea"; do
    [ -x "$f" ] || { echo "bench: $f is missing; run make bench" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server on the first free display number (Xvfb picks it).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# Both programs see exactly the same environment: the X server above, no
# session bus (Qt's look-ups for one fail at once instead of spawning a
# launcher), a private runtime folder.
mkdir -m 700 "$work/runtime"
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE

game=$(realpath "$game")
empty=$(realpath "$empty")
for p in "$empty" "$game"; do
    timeout 10 "$p" || { echo "bench: $p did not show its first frame and exit 0" >&2; exit 1; }
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Start-up to first frame on Xvfb $DISPLAY: $rounds rounds x $runs runs of each, alternating ..."
for r in $(seq "$rounds"); do
    if [ $((r % 2)) = 1 ]; then order=("$empty" "$game"); else order=("$game" "$empty"); fi
    hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$work/round$r.json" \
        -n "$(basename "${order[0]}")" "${order[0]}" -n "$(basename "${order[1]}")" "${order[1]}" >/dev/null
done
times() { jq -r --arg n "$1" '.results[] | select(.command == $n) | .times[]' "$work"/round*.json; }
t_empty=$(times startup_empty | median)
t_game=$(times startup_game | median)

echo "Peak resident memory: $rss_runs runs of each, alternating ..."
rss() { /usr/bin/time -v "$1" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'; }
: >"$work/rss_empty"
: >"$work/rss_game"
for _ in $(seq "$rss_runs"); do
    rss "$empty" >>"$work/rss_empty"
    rss "$game" >>"$work/rss_game"
done
m_empty=$(median <"$work/rss_empty")
m_game=$(median <"$work/rss_game")

exe_bytes=$(stat -c %s "$build/poromea")
strip -o "$work/poromea.stripped" "$build/poromea"
exe_stripped=$(stat -c %s "$work/poromea.stripped")

echo "Event handlers (offscreen, Google Benchmark, median of 5 repetitions) ..."
QT_QPA_PLATFORM=offscreen "$handlers" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
    --benchmark_report_aggregates_only=true --benchmark_format=json --benchmark_out="$work/handlers.json" \
    --benchmark_out_format=json >/dev/null 2>"$work/handlers.log" ||
    { cat "$work/handlers.log" >&2; exit 1; }

echo
awk -v te="$t_empty" -v tg="$t_game" -v me="$m_empty" -v mg="$m_game" -v eb="$exe_bytes" -v es="$exe_stripped" 'BEGIN {
    ratio = tg / te
    printf "| figure | empty window | game | game vs empty | target |\n"
    printf "|---|---:|---:|---:|---|\n"
    printf "| start-up to first frame, median | %.1f ms | %.1f ms | x %.3f | x 1.10 at most: %s |\n", \
        te * 1000, tg * 1000, ratio, ratio <= 1.10 ? "met" : "MISSED"
    printf "| peak resident memory, median | %.1f MiB | %.1f MiB | %+.1f MiB | +4 MiB at most: %s |\n", \
        me / 1024, mg / 1024, (mg - me) / 1024, (mg - me) <= 4096 ? "met" : "MISSED"
    printf "| size of build/poromea | | %.0f KiB (%.0f KiB stripped) | | |\n", eb / 1024, es / 1024
}'
echo
echo "| handler (through the real widgets) | median | target |"
echo "|---|---:|---|"
jq -r '.benchmarks[] | select(.aggregate_name == "median") |
       [(.run_name | sub("/.*"; "") | sub("^BM_"; "")), .real_time, .time_unit] | @tsv' "$work/handlers.json" |
    while IFS=$'\t' read -r name t unit; do
        case $name in
        CheckCorrectFirst) target="(once per session; not a steady-state handler)" ;;
        *) target=$(awk -v t="$t" 'BEGIN { print (t < 100) ? "under 100 us: met" : "under 100 us: MISSED" }') ;;
        esac
        printf "| %s | %.1f %s | %s |\n" "$name" "$t" "$unit" "$target"
    done
