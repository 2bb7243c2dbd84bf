#!/usr/bin/env bash
# check-durability.sh [VEILMARK_CLI] -- does a saved picture survive a crash that
# comes right after "saved"? Over an existing file, as a new file, over a file with
# an access control list, and in a folder its user may write but not read (0333).
# Needs root (loop mount).
#
# On a loop-mounted XFS file system, veilmark-cli hides a message in a picture and
# writes it over an existing one; the file system is then cut off at once, as a
# power cut would (xfs_io shutdown -f: the journal, with the rename in it, reaches
# the disk, data not yet written does not), and mounted again. The target must
# hold the new picture, or else the old one, complete, and nothing else may be
# left in the folder. A control run replaces a file the way a plain "write a
# temporary file, rename it" does, to show that the check can see the loss.
#
# Prints what it saw for each round; exits 1 when a save lost data, 2 when the
# check cannot run here.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cli=${1:-${VEILMARK_CLI:-$root/build-dev/src/cli/veilmark-cli}}
rounds=${ROUNDS:-5}

die() { echo "check-durability: $*" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || die "needs root for the loop mount"
[ -x "$cli" ] || die "no veilmark-cli at $cli (build it, or pass its path)"
for tool in mkfs.xfs xfs_io losetup convert setfacl setpriv; do
  command -v "$tool" >/dev/null || die "$tool is missing (bash scripts/deps.sh installs it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/veilmark-durability.XXXXXX")
chmod 755 "$work"  # the 0333 rounds save as another user, from the cover here
mnt=$work/mnt
cleanup() {
  mountpoint -q "$mnt" 2>/dev/null && umount "$mnt"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$mnt"
truncate -s 600M "$work/disk.img"
mkfs.xfs -q "$work/disk.img"

export VEILMARK_PASSWORD=durable
convert -size 3000x2000 plasma:fractal "$work/cover.png"
convert -size 3000x2000 xc:gray40 "BMP3:$work/old.bmp"

# crash ACTION: mounts the file system with the old picture in place (on disk),
# runs ACTION, cuts the file system off at once, mounts it again.
crash() {
  mount -o loop "$work/disk.img" "$mnt"
  rm -rf "${mnt:?}"/*
  mkdir "$mnt/pictures"
  cp "$work/old.bmp" "$mnt/pictures/out.bmp"
  setfacl -m u:nobody:rw "$mnt/pictures/out.bmp"
  sync -f "$mnt"
  "$@"
  xfs_io -x -c 'shutdown -f' "$mnt"
  umount "$mnt"
  mount -o loop "$work/disk.img" "$mnt"
}

# verdict NAME: what the crash left of pictures/out.bmp; 0 when the old or the new
# picture is there complete and nothing else, 1 otherwise.
verdict() {
  local out=$mnt/pictures/out.bmp size left what ok=0
  size=$(stat -c %s "$out" 2>/dev/null || echo missing)
  left=$(find "$mnt/pictures" -mindepth 1 ! -name out.bmp | wc -l)
  if [ "$("$cli" reveal "$out" 2>/dev/null || true)" = "survives a crash" ]; then
    what="the new picture, complete ($size bytes)"
    [ "$(getfacl -cp "$out" 2>/dev/null | grep -c '^user:nobody:rw-')" -eq "${want_acl:-1}" ] ||
      { what="$what, but its access control list was lost"; ok=1; }
  elif [ "${new_only:-}" ]; then
    what="NOT the new picture: $size bytes, though it was said to be saved"
    ok=1
  elif cmp -s "$out" "$work/old.bmp"; then
    what="the old picture, complete"
  else
    what="NEITHER picture: $size bytes"
    ok=1
  fi
  [ "$left" -eq 0 ] || { what="$what, and $left other file(s) left"; ok=1; }
  echo "$1: $what"
  umount "$mnt"
  return $ok
}

save() { "$cli" hide --force -m "survives a crash" "$work/cover.png" "$mnt/pictures/out.bmp"; }
plain_replace() {
  "$cli" hide --force -m "survives a crash" "$work/cover.png" "$work/new.bmp"
  cat "$work/new.bmp" >"$mnt/pictures/.out.tmp"
  mv "$mnt/pictures/.out.tmp" "$mnt/pictures/out.bmp"
}

failed=0
for ((i = 1; i <= rounds; i++)); do
  crash save
  verdict "veilmark-cli hide over an existing file, round $i" || failed=$((failed + 1))
done
save_new() {
  rm "$mnt/pictures/out.bmp" && sync -f "$mnt"
  save
}
save_unreadable() {
  chown -R nobody:nogroup "$mnt/pictures" && chmod 333 "$mnt/pictures" && sync -f "$mnt"
  setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups "$cli" hide --force \
    -m "survives a crash" "$work/cover.png" "$mnt/pictures/out.bmp"
}
for ((i = 1; i <= rounds; i++)); do
  crash save_new
  new_only=1 want_acl=0 verdict "veilmark-cli hide to a new file, round $i" || failed=$((failed + 1))
  crash save_unreadable
  new_only=1 verdict "veilmark-cli hide in a 0333 folder, round $i" || failed=$((failed + 1))
done
crash plain_replace
verdict "control: write a temporary file and rename it, no flush" || true

if [ "$failed" -gt 0 ]; then
  echo "$failed of $((rounds * 3)) saves lost the picture"
  exit 1
fi
echo "every save kept a complete picture"
