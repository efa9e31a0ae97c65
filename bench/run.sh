#!/usr/bin/env bash
# Start-up of the game against an empty window of the same toolkit, side by
# side on one private X server, then the cost of each event handler.
#
#   bench/run.sh [BUILD_DIR]      (make bench builds first, then runs this)
#
# Three programs start and quit after their first frame: an empty window of
# the game's size (the floor for any Qt Widgets program), the game's main
# window with its text only (the floor for drawing that text) and the game.
# ROUNDS x RUNS start-ups of each are timed, the programs taking turns round
# by round so that a busy neighbour slows all alike; figures are medians over
# every run.
set -euo pipefail

build=${1:-build}
rounds=${ROUNDS:-12}
runs=${RUNS:-5}
rss_runs=${RSS_RUNS:-9}

names=(startup_empty startup_text startup_game)
handlers=$build/bench/handlers_bench
for f in "${names[@]/#/$build/bench/}" "$handlers" "$build/poromea"; do
    [ -x "$f" ] || { echo "bench: $f is missing; run make bench" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server on the first free display number (Xvfb picks it). Like a
# desktop's, it is not reset when its last client leaves: a reset between runs
# would add the server's own restart to every start-up measured.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# Every program sees the same environment: the X server above, no session bus
# (Qt's look-ups for one fail at once instead of spawning a launcher), a
# private runtime folder.
mkdir -m 700 "$work/runtime"
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE

declare -A path
for n in "${names[@]}"; do
    path[$n]=$(realpath "$build/bench/$n")
    timeout 10 "${path[$n]}" || { echo "bench: $n did not show its first frame and exit 0" >&2; exit 1; }
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Start-up to first frame on Xvfb $DISPLAY: $rounds rounds x $runs runs of each, taking turns ..."
for r in $(seq "$rounds"); do
    args=()
    for i in 0 1 2; do
        n=${names[$(((r + i) % 3))]}
        args+=(-n "$n" "${path[$n]}")
    done
    hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$work/round$r.json" "${args[@]}" \
        >/dev/null 2>"$work/hyperfine.log" || { cat "$work/hyperfine.log" >&2; exit 1; }
done
declare -A t
for n in "${names[@]}"; do
    t[$n]=$(jq -r --arg n "$n" '.results[] | select(.command == $n) | .times[]' "$work"/round*.json | median)
done

echo "Peak resident memory (GNU time): $rss_runs runs of each, taking turns ..."
declare -A m
for _ in $(seq "$rss_runs"); do
    for n in "${names[@]}"; do
        /usr/bin/time -v "${path[$n]}" 2>&1 >/dev/null |
            awk -F': ' '/Maximum resident set size/ { print $2 }' >>"$work/rss_$n"
    done
done
for n in "${names[@]}"; do m[$n]=$(median <"$work/rss_$n"); done

exe_bytes=$(stat -c %s "$build/poromea")
strip -o "$work/poromea.stripped" "$build/poromea"
exe_stripped=$(stat -c %s "$work/poromea.stripped")

echo "Event handlers (offscreen, Google Benchmark, median of 5 repetitions) ..."
QT_QPA_PLATFORM=offscreen "$handlers" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
    --benchmark_report_aggregates_only=true --benchmark_out="$work/handlers.json" \
    --benchmark_out_format=json >/dev/null 2>"$work/handlers.log" ||
    { cat "$work/handlers.log" >&2; exit 1; }

echo
awk -v te="${t[startup_empty]}" -v tt="${t[startup_text]}" -v tg="${t[startup_game]}" \
    -v me="${m[startup_empty]}" -v mt="${m[startup_text]}" -v mg="${m[startup_game]}" \
    -v eb="$exe_bytes" -v es="$exe_stripped" 'BEGIN {
    printf "| figure | empty window | its text only | game | game vs empty | target |\n"
    printf "|---|---:|---:|---:|---:|---|\n"
    printf "| start-up to first frame, median | %.1f ms | %.1f ms | %.1f ms | x %.2f | x 1.10 at most: %s |\n", \
        te * 1000, tt * 1000, tg * 1000, tg / te, tg / te <= 1.10 ? "met" : "MISSED"
    printf "| peak resident memory, median | %.1f MiB | %.1f MiB | %.1f MiB | %+.1f MiB | +4 MiB at most: %s |\n", \
        me / 1024, mt / 1024, mg / 1024, (mg - me) / 1024, (mg - me) <= 4096 ? "met" : "MISSED"
    printf "| size of build/poromea | | | %.0f KiB (%.0f KiB stripped) | | |\n", eb / 1024, es / 1024
}'
echo
echo "| handler, through the real widgets | median | target |"
echo "|---|---:|---|"
jq -r '.benchmarks[] | select(.aggregate_name == "median") |
       [(.run_name | sub("/.*"; "") | sub("^BM_"; "")), .real_time, .time_unit] | @tsv' "$work/handlers.json" |
    while IFS=$'\t' read -r name time unit; do
        case $name in
        CheckCorrectFirst) verdict="(once a session: creates the congratulation window)" ;;
        *) verdict=$(awk -v t="$time" 'BEGIN { print "under 100 us: " ((t < 100) ? "met" : "MISSED") }') ;;
        esac
        printf "| %s | %.1f %s | %s |\n" "$name" "$time" "$unit" "$verdict"
    done
