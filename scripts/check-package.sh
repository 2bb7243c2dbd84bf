#!/usr/bin/env bash
# Builds the Debian package twice and checks that both are the same bytes, then checks
# it as a user's machine sees it: lintian, the AppStream and desktop-entry validators,
# the manual pages, the completion, and both programs run from the package's files
# alone, unpacked into a temporary root.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "check-package: $*" >&2; exit 1; }

bash scripts/deps.sh  # the checking tools; scripts/package installs only what it builds with
deb=$(bash scripts/package | tail -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
id=io.github.veilmark.Veilmark

echo "== the same sources give the same package: a second build, from nothing, elsewhere"
again=build-package-again
rm -rf "$again"
second=$(bash scripts/package --build-dir "$again" | tail -n 1)
if ! cmp "$deb" "$second"; then
  echo "check-package: two builds of the same sources differ ($again is kept):" >&2
  if command -v diffoscope >/dev/null; then
    diffoscope "$deb" "$second" >&2 || true
  else
    diff <(ar tv "$deb") <(ar tv "$second") >&2 || true
    diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "$second") >&2 || true
    mkdir "$root/first" "$root/second"
    dpkg-deb -R "$deb" "$root/first" && dpkg-deb -R "$second" "$root/second"
    diff -r "$root/first" "$root/second" >&2 || true
  fi
  exit 1
fi
rm -rf "$again"
dpkg-deb -x "$deb" "$root"

# Read from the binaries, so a library the core links shows here by itself.
dpkg-deb -f "$deb" Depends | grep -q 'libsodium23' || fail "Depends does not name libsodium: $(dpkg-deb -f "$deb" Depends)"
echo "== lintian $deb"
lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "== appstreamcli validate (no network: the screenshots are on the project's site)"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
echo "== desktop-file-validate"
out=$(desktop-file-validate "$root/usr/share/applications/$id.desktop" 2>&1)
[ -z "$out" ] || fail "desktop entry: $out"
echo "== file managers offer it for pictures (the entry in a desktop database of its own)"
data=$root/xdg/data
mkdir -p "$data/applications" "$root/xdg/config"
cp "$root/usr/share/applications/$id.desktop" "$data/applications/"
update-desktop-database "$data/applications"
for type in image/jpeg image/png image/bmp image/gif; do
  # gio lists only entries whose program is on PATH.
  offered=$(PATH="$root/usr/bin:$PATH" XDG_DATA_HOME=$data XDG_CONFIG_HOME=$root/xdg/config \
    gio mime "$type")
  grep -q "^	$id.desktop$" <<<"$offered" || fail "not offered for $type: $offered"
done
echo "== it never takes a viewer's place as the default opener"
# The desktop as installed: this machine's entries and the package's in one folder.
desk=$root/xdg/desktop
mkdir -p "$desk/applications"
cp /usr/share/applications/*.desktop "$root/usr/share/applications/$id.desktop" "$desk/applications/" 2>/dev/null
update-desktop-database "$desk/applications"
default() { PATH="$root/usr/bin:$PATH" XDG_DATA_DIRS=$1 XDG_DATA_HOME=$root/xdg/none \
  XDG_CONFIG_HOME=$root/xdg/config xdg-mime query default "$2"; }
for type in $(sed -n 's/^MimeType=//p' "$root/usr/share/applications/$id.desktop" | tr ';' ' '); do
  before=$(default /usr/share "$type")
  after=$(default "$desk:/usr/share" "$type")
  echo "$type: ${before:-no default} before, ${after:-no default} after"
  [ -z "$before" ] || [ "$before" = "$after" ] || fail "$after took $type from $before"
done
echo "== manual pages"
for page in "$root"/usr/share/man/man1/veilmark{,-cli}.1.gz; do
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "$(basename "$page"): $out"
done

echo "== the programs, from the unpacked package"
bin=$root/usr/bin
version=$(dpkg-deb -f "$deb" Version)
[ "$("$bin/veilmark-cli" --version)" = "veilmark-cli $version" ] || fail "veilmark-cli --version"
[ "$("$bin/veilmark" --version)" = "veilmark $version" ] || fail "veilmark --version"
status=0
said=$("$bin/veilmark" --no-such-option 2>&1) || status=$?
if [ "$status" != 2 ] || [ "$said" != "veilmark: unknown option --no-such-option (see veilmark --help)" ]; then
  fail "veilmark --no-such-option: status $status, said: $said"
fi
# A PNG needs the decoder module, which veilmark-cli finds beside itself in lib/.
convert -size 96x64 gradient:red-blue "$root/cover.png"
"$bin/veilmark-cli" hide -p 'tulip mountain' -m 'Meet at noon.' "$root/cover.png" "$root/out.bmp"
[ "$("$bin/veilmark-cli" reveal -p 'tulip mountain' "$root/out.bmp")" = 'Meet at noon.' ] ||
  fail "the message did not come back"
[ "$("$bin/veilmark-cli" scan "$root/out.bmp")" = 'Meet at noon.' ] || fail "scan did not find it"
# The window, on a virtual screen, started as the desktop entry starts it with a picture:
# shown, with its icon, in the window class the entry names, nothing on standard error.
mkdir -m 700 "$root/runtime"
XDG_RUNTIME_DIR="$root/runtime" xvfb-run -a bash -c '
  "$1" "$2/cover.png" 2>"$2/window.err" & pid=$!
  for _ in $(seq 50); do xwininfo -root -tree | grep -q "(\"veilmark\" \"Veilmark\")" && break; sleep 0.2; done
  xprop -name Veilmark _NET_WM_ICON WM_CLASS >"$2/icon.txt" 2>&1
  kill "$pid"; wait "$pid"' _ "$bin/veilmark" "$root" || true
grep -q 'Icon (48 x 48)' "$root/icon.txt" || fail "the window was not shown with its icon"
class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
grep -q "^WM_CLASS(STRING) = \"veilmark\", \"$class\"$" "$root/icon.txt" ||
  fail "the window's class is not the desktop entry's $class: $(grep WM_CLASS "$root/icon.txt")"
[ ! -s "$root/window.err" ] || fail "veilmark said: $(cat "$root/window.err")"

echo "== bash completion"
# shellcheck source=/dev/null
source "$root/usr/share/bash-completion/completions/veilmark-cli"
complete_words() {
  COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
  _veilmark_cli 2>/dev/null
  echo "${COMPREPLY[*]}"
}
[ "$(complete_words veilmark-cli '')" = "hide reveal scan help --help --version" ] ||
  fail "commands: $(complete_words veilmark-cli '')"
[ "$(complete_words veilmark-cli scan "$root/c")" = "$root/cover.png" ] ||
  fail "pictures: $(complete_words veilmark-cli scan "$root/c")"
[ "$(complete_words veilmark-cli reveal --ar)" = "--area=" ] || fail "options"
echo "package checked: $deb"
