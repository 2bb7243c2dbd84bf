#!/usr/bin/env bash
# Pictures of every window for the README, made under a virtual X server: the main
# window on each tab (after a real hide and reveal of an example message), About
# and Help. Usage: scripts/screenshots.sh [TOOL] [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-dev/src/ui/veilmark_window_tool}
out=${2:-docs}
[ -x "$bin" ] || { echo "no window tool at $bin: build it first (cmake --preset dev && cmake --build --preset dev)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: bash scripts/deps.sh" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A reproducible example picture: soft colour regions, like a photo.
im=convert
[ -x /usr/bin/convert ] && im=/usr/bin/convert
MAGICK_THREAD_LIMIT=1 "$im" -seed 7 -size 100x75 plasma:fractal -resize 400x300! \
  -blur 0x1 "$work/example.png"

export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  "$bin" --screenshot "$out" "$work/example.png"
ls -l "$out"/main-encrypt.png "$out"/main-decrypt.png "$out"/about.png "$out"/help.png
