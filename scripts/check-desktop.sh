#!/usr/bin/env bash
# The windows on real desktops, driven as a user drives them, with xdotool:
#  1. X11 (Xvfb 1024x768, openbox): About is a utility window off the taskbar and owned
#     by no window; About and Help come back where they were after Close.
#     A file that is no picture, named on the command line: its box is centred on the
#     window. The launcher's "Read a hidden message", started through GIO as docks
#     start it, without a file and with one: the window comes, with no box.
#  2. X11 at scale 1.5 and 2 on 1366x768: a journey by keyboard (open, hide, save,
#     reveal), the main window, the open and save dialogs and Help whole on the
#     screen, a maximise request.
#  3. Wayland (weston's X11 backend inside Xvfb, so there is an input seat; Qt draws
#     the title bars): the journey, Help and About, then Maximise clicked on each
#     title bar and a double click on the main one, and weston's own Super+Shift+M
#     there and back; the program must live on, and come back to its size.
#  4. X11: SIGTERM while a hard-linked file is rewritten in place ends the program
#     only once the whole new picture is there.
#  5. X11: a FIFO on the command line is refused, not waited on; closing the window
#     while a large picture opens ends the program at once.
#  6. X11: after a save refused in /proc the next save dialog does not start there;
#     Qt's file dialogs leave no QtProject.conf.
#  7. X11: sealing turned on from the File menu by keyboard; the sealed picture opens
#     in the window with its password, a wrong one is told, veilmark-cli reveal opens
#     it and scan does not show it.
# The saved picture is read back with veilmark-cli where it is built beside BINARY.
# VEILMARK_DESKTOP_SHOTS=DIR keeps screenshots of each step there (look at them).
# Usage: scripts/check-desktop.sh [BINARY]
#   (needs xvfb, openbox, xdotool, x11-utils, imagemagick, python3-gi; weston and
#   qt6-wayland for 3)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build-dev/src/ui/veilmark}")
[ -x "$bin" ] || { echo "no program at $bin: build it first" >&2; exit 1; }
for tool in Xvfb openbox xdotool xprop import python3; do
  command -v "$tool" >/dev/null || { echo "$tool missing: bash scripts/deps.sh" >&2; exit 1; }
done
cli=$(dirname "$bin")/../cli/veilmark-cli

work=$(mktemp -d)
shots=${VEILMARK_DESKTOP_SHOTS:-$work/shots}
mkdir -p "$shots"
pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
convert -size 300x200 plasma:fractal "$work/cover.png" 2>/dev/null ||
  convert -size 300x200 gradient:red-blue "$work/cover.png"

passed=0 failures=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if eval "$2"; then pass; else fail "$1"; fi; }
shot() { import -window root "$shots/$1.png"; }
alive() { kill -0 "$app" 2>/dev/null; }

# A fresh X screen of this size; the display number goes to DISPLAY.
# A number no other X server holds, and this server's own answer, not another's that
# took the number first.
start_x() {
  local n xvfb
  for _ in $(seq 50); do
    n=$((90 + RANDOM % 400))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 "$1"x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  export DISPLAY=:$n
  for _ in $(seq 50); do
    kill -0 "$xvfb" 2>/dev/null || break
    xprop -root >/dev/null 2>&1 && return
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2; cat "$work/xvfb.log" >&2; exit 1
}
screen_size() { xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[2], d[1]}'; }
start_openbox() {
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # Openbox announces itself before it lists what it supports; xdotool needs the list.
  for _ in $(seq 200); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.1; done
}
start_app() {
  "$bin" >"$work/veilmark.log" 2>&1 &
  app=$!
  pids+=($app)
}
# The id of the visible X window with this exact title, once it is there.
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
position() { xdotool getwindowgeometry --shell "$1" | grep -E '^[XY]=' | tr '\n' ' '; }
# Whether a window, frame and all, lies inside the screen (xwininfo counts the frame).
on_screen() {
  local info x y w h top
  info=$(xwininfo -id "$1")
  x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
  y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
  w=$(echo "$info" | awk '/Width:/ {print $2}')
  h=$(echo "$info" | awk '/Height:/ {print $2}')
  top=$(xprop -id "$1" _NET_FRAME_EXTENTS | awk -F'[=,]' '{print $4 + 0}')
  where="$w x $h at $x,$y"
  [ $((y - top)) -ge 0 ] && [ $((y + h)) -le "$2" ] && [ "$x" -ge 0 ] && [ $((x + w)) -le "$3" ]
}
# Chooses an item of the Help menu on X11: a click on the menu's title, then the keys.
choose() {
  activate "$main" || true
  xdotool mousemove --sync --window "$main" "$(awk "BEGIN{print int(55*$scale)}")" "$(awk "BEGIN{print int(8*$scale)}")" click 1
  sleep 0.3
  case $1 in
    Contents) xdotool key Down Return ;;
    About) xdotool key Down Down Return ;;
  esac
}

k() { xdotool key --delay 50 "$@"; sleep 0.2; }
typed() { xdotool type --delay 15 "$1"; sleep 0.2; }
# Open, hide, save and reveal by keyboard alone, so it works at any scale and place.
# Starts with the focus where the program puts it (the first off-screen button);
# refocus brings the main window forward after a modal box has gone.
# hide_keys PASSWORD MESSAGE OUT: on the Encrypt tab, the cover opened, the message hidden
# and the save dialog answered with OUT.
# Each dialog is waited for before it is typed into, so that a slow start does not
# send the keys elsewhere; under Wayland, where no window can be looked up, a second.
dialog_shown() {
  if [ "${session:-x11}" = wayland ]; then sleep 1; return; fi
  local id
  id=$(window "$1") || return 0
  sleep 0.3
  # shellcheck disable=SC2046
  check "${scale:-1}: the dialog \"$1\" leaves the screen" 'on_screen "$id" $(screen_size) || { echo "($where)"; false; }'
}
hide_keys() {
  k Tab Tab Tab Tab Tab
  typed "$1"
  k Tab
  typed "$2"
  k Tab space
  dialog_shown "Veilmark - Open Image"
  sleep 1
  typed "$work/cover.png"
  k Return
  sleep 1
  k Tab space
  dialog_shown "Save image"
  sleep 1
  # The folder first: the dialog lists it as it is typed (slowly for /proc), and keys
  # typed meanwhile can be lost.
  typed "$(dirname "$3")/"
  sleep 1
  typed "$(basename "$3")"
  k Return
}
journey() {
  local tag=$1 refocus=$2 out="$work/$1-out.bmp"
  hide_keys "tulip mountain" "Meet at noon." "$out"
  sleep 1
  shot "$tag-saved"
  k Return
  sleep 0.3
  $refocus
  k shift+Tab shift+Tab shift+Tab shift+Tab Right
  k Tab space
  sleep 1
  typed "$out"
  k Return
  sleep 1
  k Tab Tab
  typed "tulip mountain"
  k Tab space
  sleep 0.5
  shot "$tag-revealed"
  check "$tag: the picture was not saved" '[ -s "$out" ]'
  if [ -x "$cli" ] && [ -s "$out" ]; then
    check "$tag: the saved picture does not give the message back" \
      '[ "$("$cli" reveal -p "tulip mountain" "$out" 2>/dev/null)" = "Meet at noon." ]'
  fi
}

echo "== $(date +%T) 1. X11 with a window manager"
# ---- 1. X11 with a window manager
start_x 1024x768
start_openbox
scale=1
QT_QPA_PLATFORM=xcb start_app
main=$(window Veilmark) || { cat "$work/veilmark.log"; echo "FAIL: the main window did not appear"; exit 1; }
choose About
about=$(window "About Veilmark") || fail "About did not open"
if [ -n "${about:-}" ]; then
  props=$(xprop -id "$about" _NET_WM_STATE WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE)
  check "About has a taskbar entry: $props" 'echo "$props" | grep -q _NET_WM_STATE_SKIP_TASKBAR'
  check "About is not a utility window: $props" 'echo "$props" | grep -q _NET_WM_WINDOW_TYPE_UTILITY'
  check "About belongs to another window: $props" '! echo "$props" | grep -q "WM_TRANSIENT_FOR(WINDOW)"'
  xdotool windowmove --sync "$about" 402 211
  sleep 0.3
  moved=$(position "$about")
  activate "$about"
  xdotool key Return  # Close has the focus
  sleep 0.5
  check "Enter did not close About" '! xdotool search --onlyvisible --name "^About Veilmark\$" >/dev/null 2>&1'
  choose About
  back=$(window "About Veilmark") || fail "About did not come back"
  sleep 0.3
  check "About came back at $(position "$back"), not at $moved" '[ "$(position "$back")" = "$moved" ]'
  activate "$back"
  xdotool key Return
  sleep 0.5
fi

choose Contents
help=$(window "Veilmark - Help") || fail "Help did not open"
if [ -n "${help:-}" ]; then
  check "Help has no taskbar entry" '! xprop -id "$help" _NET_WM_STATE | grep -q SKIP_TASKBAR'
  xdotool windowmove --sync "$help" 301 123
  sleep 0.3
  moved=$(position "$help")
  activate "$help"
  xdotool key Return  # Close
  sleep 0.5
  choose Contents
  back=$(window "Veilmark - Help") || fail "Help did not come back"
  sleep 0.3
  check "Help came back at $(position "$back"), not at $moved" '[ "$(position "$back")" = "$moved" ]'
  shot x11-help
fi
# The rest of this part on the same screen and window manager, the program started anew.
kill "$app"
wait "$app" 2>/dev/null || true

# The window's centre, from xwininfo, as "X Y".
centre() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print int(x + w / 2), int(y + h / 2)}'
}
# The program's visible windows (its class): the main window and any message box.
titled() { xdotool search --onlyvisible --classname '^veilmark$' 2>/dev/null || true; }
QT_QPA_PLATFORM=xcb "$bin" /etc/hostname >"$work/veilmark.log" 2>&1 &
app=$!
pids+=($app)
for _ in $(seq 50); do [ "$(titled | wc -l)" -ge 2 ] && break; sleep 0.1; done
sleep 0.5
box= main=
for id in $(titled); do
  if xprop -id "$id" WM_TRANSIENT_FOR | grep -q 'window id'; then box=$id; else main=$id; fi
done
if [ -n "$box" ] && [ -n "$main" ]; then
  read -r bx by < <(centre "$box")
  read -r mx my < <(centre "$main")
  shot x11-refused-at-start
  check "the start-up box is centred at $bx,$by, the window at $mx,$my" \
    '[ $((bx - mx)) -le 8 ] && [ $((mx - bx)) -le 8 ] && [ $((by - my)) -le 40 ] && [ $((my - by)) -le 40 ]'
else
  fail "a file that is no picture, named at start: no window and box ($(titled | wc -l) windows)"
fi
kill "$app"
wait "$app" 2>/dev/null || true

# The desktop entry's action as a dock starts it, through GIO (so with no file), and
# as a file manager starts it with one; either way the window comes with no box.
mkdir -p "$work/share/applications"
cp packaging/io.github.veilmark.Veilmark.desktop "$work/share/applications/"
for how in gio file; do
  if [ $how = gio ]; then
    PATH="$(dirname "$bin"):$PATH" XDG_DATA_DIRS="$work/share" QT_QPA_PLATFORM=xcb /usr/bin/python3 -c '
import sys, gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch_action("read-message", None)
' "$work/share/applications/io.github.veilmark.Veilmark.desktop"
  else
    QT_QPA_PLATFORM=xcb "$bin" --decrypt "$work/cover.png" >"$work/veilmark.log" 2>&1 &
  fi
  if main=$(window Veilmark); then
    app=$(xdotool getwindowpid "$main")
    pids+=("$app")
    sleep 1
    shot "x11-read-message-$how"
    check "Read a hidden message ($how): a box came: $(cat "$work/veilmark.log")" '[ "$(titled | wc -l)" -eq 1 ]'
    kill "$app"
    for _ in $(seq 50); do [ -z "$(titled)" ] && break; sleep 0.1; done
  else
    fail "Read a hidden message ($how): no window"
  fi
done
stop_all

echo "== $(date +%T) 2. X11 at high scales on a small screen: everything can be reached"
# ---- 2. X11 at high scales on a small screen: everything can be reached
for scale in 1.5 2; do
  start_x 1366x768
  start_openbox
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale start_app
  main=$(window Veilmark) || { fail "scale $scale: the main window did not appear"; stop_all; continue; }
  activate "$main"
  sleep 0.5
  check "scale $scale: the main window leaves the screen" 'on_screen "$main" 768 1366 || { echo "($where)"; false; }'
  journey "scale$scale" "activate $main"
  wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz 2>/dev/null || true
  sleep 0.5
  check "scale $scale: a maximise request ended the program" alive
  choose Contents
  if help=$(window "Veilmark - Help"); then
    sleep 0.5
    check "scale $scale: Help leaves the screen" 'on_screen "$help" 768 1366 || { echo "($where)"; false; }'
    shot "scale$scale-help"
  else
    fail "scale $scale: Help did not open"
  fi
  stop_all
done

echo "== $(date +%T) 3. Wayland: Qt's own title bars under weston"
# ---- 3. Wayland: Qt's own title bars under weston
if command -v weston >/dev/null && [ -n "$(find /usr/lib/*/qt6/plugins/platforms -name 'libqwayland*' 2>/dev/null)" ]; then
  start_x 1366x768
  weston --backend=x11-backend.so --socket=wayland-vm --width=1366 --height=768 \
    --use-pixman --idle-time=0 >"$work/weston.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wayland-vm" ] && break; sleep 0.1; done
  sleep 1
  QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-vm start_app
  # No window list under Wayland: Qt's title bars are found on the screen by their colour.
  bars() { import -window root -depth 8 ppm:- | python3 scripts/find_title_bars.py; }
  top=
  for _ in $(seq 10); do
    sleep 1
    read -r left right top < <(bars | head -1) || true
    [ -n "$top" ] && break
  done
  if [ -z "${top:-}" ]; then
    fail "Wayland: the main window did not appear"
    cat "$work/veilmark.log"
  else
    # weston follows the pointer only once it has seen it move inside its window.
    xdotool mousemove 300 400 sleep 0.3 mousemove $((left + 100)) $((top + 12))
    title() { xdotool mousemove $((left + 101)) $((top + 12)) mousemove $((left + 100)) $((top + 12)) click 1; sleep 0.3; }
    session=wayland journey wayland title
    title
    # weston's own maximise on the main window, and back: its title bar spans the
    # screen, then has its own width again.
    widths() { bars | awk '{print $2 - $1}' | sort -n | tr '\n' ' '; }
    xdotool key super+shift+m
    sleep 1.5
    shot wayland-super-shift-m
    check "Wayland: Super+Shift+M ended the program: $(grep -m1 -i error "$work/veilmark.log" || true)" alive
    check "Wayland: Super+Shift+M did not maximise (title bars $(widths))" '[ "$(widths | awk "{print \$NF}")" -ge 1300 ]'
    xdotool key super+shift+m
    sleep 1.5
    shot wayland-super-shift-m-back
    check "Wayland: Super+Shift+M back ended the program" alive
    check "Wayland: not back to $((right - left)) wide (title bars $(widths))" 'widths | grep -qw "$((right - left))"'
    # Help, then About, from the Help menu; each is a window of its own.
    for item in Contents About; do
      xdotool mousemove $((left + 59)) $((top + 38)) click 1
      sleep 0.4
      [ "$item" = Contents ] && k Down Return || k Down Down Return
      sleep 1
    done
    shot wayland-windows
    # Maximise on every title bar there is (the main window, Help, About).
    while read -r l r t; do
      xdotool mousemove $((r - 39)) $((t + 15)) click 1
      sleep 1
    done < <(bars)
    xdotool mousemove $((left + 100)) $((top + 12)) click --repeat 2 --delay 80 1
    sleep 1
    shot wayland-maximised
    check "Wayland: Maximise ended the program: $(grep -m1 -i error "$work/veilmark.log" || true)" alive
  fi
  stop_all
else
  echo "skipped the Wayland part: weston or Qt's Wayland plugin (qt6-wayland) is not installed"
fi

echo "== $(date +%T) 4. X11: SIGTERM while the window rewrites a file in place"
# ---- 4. X11: SIGTERM while the window rewrites a file in place
# A hard-linked file is rewritten in place. strace holds the rewrite's first step
# (reserving room) for three seconds, and SIGTERM comes then: the program must end
# only once the file holds the whole new picture, never a mix of old and new. strace
# stops the program at that call alone (seccomp), so the rest runs at full speed.
fallocate_nr=$(printf '#include <sys/syscall.h>\nSYS_fallocate\n' | cpp -P - 2>/dev/null | tail -n 1)
if command -v strace >/dev/null && [ -x "$cli" ] && [[ $fallocate_nr =~ ^[0-9]+$ ]]; then
  start_x 1024x768
  start_openbox
  target="$work/in-place.bmp"
  "$cli" hide -f -p "old words" -m "The old one." "$work/cover.png" "$target"
  ln "$target" "$work/in-place-link.bmp"
  QT_QPA_PLATFORM=xcb strace -f --seccomp-bpf -qq -o /dev/null -e trace=fallocate \
    -e inject=fallocate:delay_enter=3000000 "$bin" >"$work/veilmark.log" 2>&1 &
  tracer=$!
  pids+=($tracer)
  if main=$(window Veilmark); then
    program=$(pgrep -P "$tracer" | head -n 1)
    activate "$main"
    hide_keys "new words" "The new one." "$target"
    sleep 1
    k alt+y  # "Do you want to replace it?"
    reserving=
    for _ in $(seq 200); do
      grep -qs "^$fallocate_nr " /proc/"$program"/task/*/syscall && { reserving=yes; break; }
      sleep 0.05
    done
    check "SIGTERM: the in-place rewrite never began" '[ -n "$reserving" ]'
    kill -TERM "$program"
    status=0
    wait "$tracer" || status=$?
    check "SIGTERM: the window program ended with $status, not 143" '[ "$status" -eq 143 ]'
    check "SIGTERM: the file does not hold the whole new picture" \
      '[ "$("$cli" reveal -p "new words" "$work/in-place-link.bmp" 2>/dev/null)" = "The new one." ]'
  else
    fail "SIGTERM: the main window did not appear"
  fi
  stop_all
else
  echo "skipped the SIGTERM part: strace, veilmark-cli or the C preprocessor is missing"
fi

echo "== $(date +%T) 5. X11: a pipe on the command line, and closing while a large picture opens"
# ---- 5. X11: a pipe on the command line, and closing while a large picture opens
# A FIFO named on the command line is refused with a message, not waited on; closing
# the window while a picture that takes many seconds to decode opens ends the program
# at once.
start_x 1024x768
start_openbox
mkfifo "$work/pipe.bmp"
QT_QPA_PLATFORM=xcb "$bin" "$work/pipe.bmp" >"$work/veilmark.log" 2>&1 &
app=$!
pids+=($app)
check "a pipe on the command line: no message said it is one" 'window "Veilmark - Error" >/dev/null'
stop_all
start_x 1024x768
start_openbox
python3 - "$work/large.png" <<'PY'
import struct, sys, zlib
side = 16000  # all black, so it is small on disk but long to decode
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
packer, row = zlib.compressobj(1), bytes(1 + side * 3)
rows = b"".join(packer.compress(row) for _ in range(side)) + packer.flush()
head = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
with open(sys.argv[1], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", rows) + chunk(b"IEND", b""))
PY
QT_QPA_PLATFORM=xcb "$bin" "$work/large.png" >"$work/veilmark.log" 2>&1 &
app=$!
pids+=($app)
if main=$(window Veilmark); then
  sleep 1
  check "closing while a large picture opens: the picture had already opened" alive
  wmctrl -i -c "$main"
  for _ in $(seq 20); do alive || break; sleep 0.1; done
  check "closing while a large picture opens: the program still ran 2 s later" '! alive'
else
  fail "closing while a large picture opens: the main window did not appear"
fi
stop_all

echo "== $(date +%T) 6. X11: the save dialog after a refused save, and nothing kept"
# ---- 6. X11: the save dialog after a refused save, and nothing kept
# A save refused in a system folder must not make the next save dialog start there
# (listing /proc can wait on /proc/kmsg for ever; /sys is refused alike and is quick
# to type into the dialog): a bare name then lands in the folder the program started in. Qt's dialogs keep no history or last folder in the user's settings.
start_x 1024x768
start_openbox
cd "$work"
QT_QPA_PLATFORM=xcb start_app
cd - >/dev/null
if main=$(window Veilmark); then
  activate "$main"
  hide_keys "words" "A message." "/sys/refused.bmp"
  sleep 1
  k Return  # the refusal
  activate "$main"
  k space  # Encrypt again
  dialog_shown "Save image"
  sleep 1
  typed "again.bmp"
  k Return
  sleep 1
  shot refused-then-saved
  check "a refused save in /sys: the next save did not land where the program started" '[ -s "$work/again.bmp" ]'
  stop_all
  check "Qt's dialogs kept settings: $(ls "$XDG_CONFIG_HOME" 2>/dev/null)" '[ ! -e "$XDG_CONFIG_HOME/QtProject.conf" ]'
else
  fail "refused save: the main window did not appear"
  stop_all
fi

echo "== $(date +%T) 7. X11: a sealed message, turned on from the File menu by keyboard"
# ---- 7. X11: sealing on by F10, P; hide, then Decrypt with the right and a wrong password
start_x 1024x768
start_openbox
scale=1
# Started in $work, whose name the save dialog then needs no typing of.
cd "$work"
QT_QPA_PLATFORM=xcb start_app
cd - >/dev/null
if main=$(window Veilmark); then
  activate "$main"
  sealed="$work/sealed.bmp"
  k F10
  sleep 1  # the menu shows before P reaches it, and has gone before the journey's keys
  shot sealed-menu
  k p
  sleep 1
  hide_keys "tulip mountain" "Meet at noon." "sealed.bmp"
  sleep 2  # the key derivation, then the save
  shot sealed-saved
  k Return
  activate "$main"
  k shift+Tab shift+Tab shift+Tab shift+Tab Right
  k Tab space
  dialog_shown "Veilmark - Open Image"
  sleep 1
  typed "$sealed"
  k Return
  sleep 1
  k Tab Tab
  typed "tulip mountain"
  k Tab space
  sleep 2
  shot sealed-opened
  k shift+Tab ctrl+a
  typed "tulip mountains"
  k Tab space
  closed=$(window "Veilmark - Error") || closed=
  shot sealed-not-opened
  check "sealed: a wrong password was not told" '[ -n "$closed" ]'
  [ -n "$closed" ] && k Return
  check "sealed: the picture was not saved" '[ -s "$sealed" ]'
  if [ -x "$cli" ] && [ -s "$sealed" ]; then
    check "sealed: veilmark-cli reveal does not open it" \
      '[ "$("$cli" reveal -p "tulip mountain" "$sealed" 2>/dev/null)" = "Meet at noon." ]'
    check "sealed: veilmark-cli scan shows the sealed message" \
      '! "$cli" scan "$sealed" 2>/dev/null | grep -aq "Meet at noon"'
  fi
else
  fail "sealed: the main window did not appear"
fi
stop_all

echo "desktop check: $passed passed, $failures failed (screenshots in $shots)"
[ "$failures" -eq 0 ]
