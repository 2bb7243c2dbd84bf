#!/usr/bin/env bash
# Start-up to a shown main window: runs the window tool N times with --quit-when-shown
# (it starts as veilmark does and ends once the main window has been drawn the first
# time) and reports the wall-clock time of each whole process, from exec to exit,
# and the median.
# Usage: bench/ui/startup.sh [TOOL] [RUNS]   (offscreen unless QT_QPA_PLATFORM is set)
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build-bench/src/ui/veilmark_window_tool}
runs=${2:-15}
limit_ms=${VEILMARK_STARTUP_LIMIT_MS:-300}
[ -x "$bin" ] || { echo "no window tool at $bin: build it first" >&2; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" HOME="$work"
chmod 700 "$work"

timeout 20 "$bin" --quit-when-shown 2>/dev/null  # once unmeasured, so every measured run finds the files cached
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  timeout 20 "$bin" --quit-when-shown 2>>"$work/stderr.log" || { cat "$work/stderr.log" >&2; exit 1; }
  end=$(date +%s%N)
  times+=($(((end - start) / 1000000)))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(echo "$sorted" | sed -n "$(((runs + 1) / 2))p")
echo "start-up to a shown main window, $runs runs (ms): $(echo $sorted | tr '\n' ' ')"
echo "min $(echo "$sorted" | head -1) ms, median $median ms, max $(echo "$sorted" | tail -1) ms (limit $limit_ms ms)"
[ "$median" -le "$limit_ms" ]
