#!/usr/bin/env bash
# The windows on a real X11 desktop: Xvfb with the openbox window manager, veilmark
# driven through its menus with xdotool, the window manager's view read with xprop.
# Checks that About is a tool window kept out of the taskbar and transient for the
# main window, and that Help comes back where it was moved after Close.
# Usage: scripts/check-desktop.sh [BINARY]   (needs xvfb, openbox, xdotool, x11-utils)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-dev/src/ui/veilmark}
[ -x "$bin" ] || { echo "no program at $bin: build it first" >&2; exit 1; }
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "$tool missing: bash scripts/deps.sh" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# Openbox announces itself before it lists what it supports; xdotool needs the list.
for _ in $(seq 200); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.1; done

QT_QPA_PLATFORM=xcb "$bin" >"$work/veilmark.log" 2>&1 &
pids+=($!)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The id of the visible window with this exact title, once it is there.
window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  return 1
}
# Brings a window forward, again while a busy window manager is not ready for it.
activate() {
  for _ in $(seq 20); do
    xdotool windowactivate --sync "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  xdotool windowfocus --sync "$1"
}
# Chooses an item of the Help menu: a click on the menu's title, then the keys.
choose() {
  activate "$main" || true
  xdotool mousemove --sync --window "$main" 55 8 click 1
  sleep 0.3
  case $1 in
    Contents) xdotool key Down Return ;;
    About) xdotool key Down Down Return ;;
  esac
}
position() { xdotool getwindowgeometry --shell "$1" | grep -E '^[XY]=' | tr '\n' ' '; }

main=$(window Veilmark) || { cat "$work/veilmark.log"; echo "FAIL: the main window did not appear"; exit 1; }
choose About
about=$(window "About Veilmark") || fail "About did not open"
if [ -n "${about:-}" ]; then
  props=$(xprop -id "$about" _NET_WM_STATE WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE)
  echo "$props" | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "About has a taskbar entry: $props"
  echo "$props" | grep -q "WM_TRANSIENT_FOR(WINDOW): window id # $(printf '0x%x' "$main")" ||
    fail "About is not transient for the main window: $props"
  xdotool key Return  # Close has the focus
  sleep 0.5
  xdotool search --onlyvisible --name '^About Veilmark$' >/dev/null 2>&1 && fail "Enter did not close About"
fi

choose Contents
help=$(window "Veilmark - Help") || fail "Help did not open"
if [ -n "${help:-}" ]; then
  xprop -id "$help" _NET_WM_STATE | grep -q SKIP_TASKBAR && fail "Help has no taskbar entry"
  xdotool windowmove --sync "$help" 301 123
  sleep 0.3
  moved=$(position "$help")
  activate "$help"
  xdotool key Return  # Close
  sleep 0.5
  choose Contents
  back=$(window "Veilmark - Help") || fail "Help did not come back"
  sleep 0.3
  [ "$(position "$back")" = "$moved" ] || fail "Help came back at $(position "$back"), not at $moved"
  [ -n "${VEILMARK_DESKTOP_SHOT:-}" ] && import -window root "$VEILMARK_DESKTOP_SHOT"
fi

[ "$failures" -eq 0 ] && echo "desktop check: 4 passed, 0 failed" || { echo "desktop check: $failures failed"; exit 1; }
