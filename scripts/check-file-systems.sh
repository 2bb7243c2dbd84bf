#!/usr/bin/env bash
# check-file-systems.sh [VEILMARK_CLI] -- the saving promises on real file systems.
# Needs root: mounts loop images of XFS, ext4 and btrfs, a tmpfs and a bindfs FUSE
# mount, and on each tries what a hostile or careless user would: two saves racing
# for one file rewritten in place, a full disk during an in-place rewrite over a
# sparse old file, an access control list and extended attributes to keep; on XFS a
# crash right after a new file or a save into a folder that cannot be read (0333)
# is "saved"; on tmpfs another user's link or file in a sticky shared folder; a file
# bind-mounted over another; two saves through a file's two names. Each must end
# with the old file or the complete new one, and failures with a sentence.
#
# Prints one line a case; exits 1 when any case fails, 0 otherwise (a file system
# that cannot be mounted here is skipped with the reason).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${VEILMARK_CLI:-$here/../build-dev/src/cli/veilmark-cli}}
cli=$(readlink -f "$cli")
[ "$(id -u)" -eq 0 ] || { echo "check-file-systems: skipped: needs root for loop mounts"; exit 0; }
[ -x "$cli" ] || { echo "check-file-systems: no veilmark-cli at $cli" >&2; exit 2; }
for tool in convert setfacl getfattr losetup; do
  command -v "$tool" >/dev/null || { echo "check-file-systems: skipped: $tool is missing"; exit 0; }
done

work=$(mktemp -d /tmp/veilmark-fs.XXXXXX)
chmod 755 "$work"
mounts=()
symlinks_before=$(cat /proc/sys/fs/protected_symlinks)
regular_before=$(cat /proc/sys/fs/protected_regular)
cleanup() {
  local m
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    m=${mounts[i]}
    mountpoint -q "$m" && umount -l "$m"
  done
  echo "$symlinks_before" >/proc/sys/fs/protected_symlinks 2>/dev/null
  echo "$regular_before" >/proc/sys/fs/protected_regular 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

export VEILMARK_PASSWORD=edges
convert -size 500x400 plasma:fractal "BMP3:$work/cover.bmp"
convert -size 500x400 xc:black "BMP3:$work/black.bmp"
convert -size 1600x1200 plasma:fractal "BMP3:$work/big.bmp"
failed=0
row() { printf '%-7s %-38s %s\n' "$1" "$2" "$3"; }
pass() { row "$1" "$2" "ok: $3"; }
fail() { row "$1" "$2" "FAILED: $3"; failed=$((failed + 1)); }
hide() { "$cli" hide --force -m "$1" "$work/cover.bmp" "$2"; }
said() { "$cli" reveal "$1" 2>/dev/null; }

# mount_fs KIND DIR: mounts a fresh file system of that kind at DIR.
mount_fs() {
  local kind=$1 dir=$2 img=$work/$1.img
  mkdir -p "$dir"
  case $kind in
    xfs) truncate -s 300M "$img" && mkfs.xfs -q "$img" && mount -o loop "$img" "$dir" ;;
    ext4) truncate -s 64M "$img" && mkfs.ext4 -q "$img" && mount -o loop "$img" "$dir" ;;
    btrfs) truncate -s 128M "$img" && mkfs.btrfs -q "$img" >/dev/null && mount -o loop "$img" "$dir" ;;
    tmpfs) mount -t tmpfs -o size=24M tmpfs "$dir" ;;
    fuse)
      mkdir -p "$work/fuse-under" && mount -t tmpfs -o size=24M tmpfs "$work/fuse-under" &&
        mounts+=("$work/fuse-under") && bindfs "$work/fuse-under" "$dir" ;;
  esac || return 1
  mounts+=("$dir")
}

# Two saves racing for one hard-linked file, which is rewritten in place: through
# one name, and through its two names (on FUSE each name is an inode of its own).
race() {
  local kind=$1 d=$2/race second=$3 what=$4 cover=$5 rounds=$6 mixed=0
  mkdir -p "$d" && cp "$work/black.bmp" "$d/a.bmp" && ln -f "$d/a.bmp" "$d/b.bmp"
  for ((r = 0; r < rounds; r++)); do
    "$cli" hide --force -m AAAA "$cover" "$d/a.bmp" 2>/dev/null &
    "$cli" hide --force -m BBBB "$cover" "$d/$second" 2>/dev/null
    wait
    case $(said "$d/b.bmp") in AAAA | BBBB) ;; *) mixed=$((mixed + 1)) ;; esac
  done
  [ "$mixed" -eq 0 ] && pass "$kind" "$what" "one complete picture in $rounds rounds" ||
    fail "$kind" "$what" "$mixed of $rounds rounds left a mix"
  rm -rf "$d"
}

# A disk that fills up while a sparse, hard-linked old file is rewritten in place.
full_disk() {
  local kind=$1 d=$2/full err
  mkdir -p "$d" && cp --sparse=always "$work/black.bmp" "$d/a.bmp" && ln "$d/a.bmp" "$d/b.bmp"
  cp "$d/a.bmp" "$work/full-before"
  dd if=/dev/zero of="$d/filler" bs=64k status=none 2>/dev/null
  # No new file fits in the folder: the new picture is staged in memory, and the
  # disk fills during the rewrite itself.
  chmod 555 "$d" && sync -f "$d"
  err=$(hide "full disk" "$d/a.bmp" 2>&1) && { fail "$kind" "full disk, in place, sparse old file" "it said saved"; chmod 755 "$d"; rm -f "$d/filler"; return; }
  if ! cmp -s "$d/a.bmp" "$work/full-before"; then
    fail "$kind" "full disk, in place, sparse old file" "the old file changed: $err"
  elif ! grep -qE "disk is full|too little free room|put back" <<<"$err"; then
    fail "$kind" "full disk, in place, sparse old file" "no clear sentence: $err"
  else
    pass "$kind" "full disk, in place, sparse old file" "old file kept; ${err#*: }"
  fi
  chmod 755 "$d" && rm -f "$d/filler"
}

# An access control list and an extended attribute outlive a save.
attributes() {
  local kind=$1 d=$2/attr before after
  mkdir -p "$d" && cp "$work/black.bmp" "$d/a.bmp" && chmod 600 "$d/a.bmp"
  if ! setfacl -m u:nobody:rw "$d/a.bmp" 2>/dev/null || ! setfattr -n user.tag -v kept "$d/a.bmp" 2>/dev/null; then
    row "$kind" "access list and attributes kept" "skipped: not supported here"
    return
  fi
  before=$(cd "$d" && getfacl -cp a.bmp; getfattr -d a.bmp; stat -c %a a.bmp)
  hide "attributes" "$d/a.bmp" 2>/dev/null
  after=$(cd "$d" && getfacl -cp a.bmp; getfattr -d a.bmp; stat -c %a a.bmp)
  [ "$(said "$d/a.bmp")" = attributes ] && [ "$before" = "$after" ] &&
    pass "$kind" "access list and attributes kept" "list, attribute and mode as they were" ||
    fail "$kind" "access list and attributes kept" "before: $before / after: $after"
}

# A file bind-mounted over another's name, as a container gets its files: a rename
# cannot replace it, so the save rewrites it in place.
mounted_over() {
  local kind=$1 d=$2/bound err
  mkdir -p "$d" && cp "$work/black.bmp" "$d/real.bmp" && cp "$work/black.bmp" "$d/over.bmp"
  mount --bind "$d/real.bmp" "$d/over.bmp" || { row "$kind" "a file mounted over the name" "skipped: cannot bind-mount here"; return; }
  mounts+=("$d/over.bmp")
  if ! err=$(hide "mounted" "$d/over.bmp" 2>&1); then
    fail "$kind" "a file mounted over the name" "$err"
  elif [ "$(said "$d/real.bmp")" != mounted ]; then
    fail "$kind" "a file mounted over the name" "it said saved, but the mounted file does not hold the picture"
  else
    pass "$kind" "a file mounted over the name" "rewritten in place"
  fi
  umount "$d/over.bmp"
}

# On XFS: saved, then the file system is cut off at once, as a power cut would.
crash_case() {
  local name=$1 dir=$2 target=$3 user=$4 want err
  sync -f "$dir"
  if [ -n "$user" ]; then
    err=$(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "$cli" hide --force -m crash "$work/cover.bmp" "$target" 2>&1)
  else
    err=$(hide crash "$target" 2>&1)
  fi || { fail xfs "$name" "the save failed: $err"; return; }
  xfs_io -x -c 'shutdown -f' "$mnt_xfs"
  umount "$mnt_xfs" && mount -o loop "$work/xfs.img" "$mnt_xfs"
  want=$(said "$target")
  [ "$want" = crash ] && pass xfs "$name" "the new picture after the crash" ||
    fail xfs "$name" "after the crash: $(stat -c %s "$target" 2>/dev/null || echo no) bytes, not the new picture"
}

for kind in xfs ext4 btrfs tmpfs fuse; do
  dir=$work/mnt-$kind
  if ! mount_fs "$kind" "$dir" 2>/dev/null; then
    row "$kind" "(all cases)" "skipped: cannot mount $kind here"
    continue
  fi
  race "$kind" "$dir" a.bmp "racing in-place saves" "$work/cover.bmp" 10
  race "$kind" "$dir" b.bmp "racing saves through two names" "$work/big.bmp" 20
  full_disk "$kind" "$dir"
  attributes "$kind" "$dir"
  mounted_over "$kind" "$dir"
done

# Crashes on XFS: a new file, and a save into a folder its user may write but not read.
mnt_xfs=$work/mnt-xfs
if mountpoint -q "$mnt_xfs" && command -v xfs_io >/dev/null; then
  mkdir -p "$mnt_xfs/new" && crash_case "new file, crash after saved" "$mnt_xfs/new" "$mnt_xfs/new/out.bmp" ""
  mkdir -p "$mnt_xfs/locked" && cp "$work/black.bmp" "$mnt_xfs/locked/out.bmp"
  chown -R nobody:nogroup "$mnt_xfs/locked" && chmod 333 "$mnt_xfs/locked"
  crash_case "0333 folder, crash after saved" "$mnt_xfs/locked" "$mnt_xfs/locked/out.bmp" nobody
fi

# Another user's link in a sticky folder anyone may write: the kernel refuses to
# follow it when protected_symlinks is on, and so must the save.
shared=$work/mnt-tmpfs/shared
if mountpoint -q "$work/mnt-tmpfs" && echo 1 >/proc/sys/fs/protected_symlinks 2>/dev/null; then
  mkdir -p "$shared" && chmod 1777 "$shared" && cp "$work/black.bmp" "$shared/real.bmp"
  ln -s real.bmp "$shared/link.bmp" && chown -h nobody "$shared/link.bmp"
  if err=$(hide "through a link" "$shared/link.bmp" 2>&1); then
    fail tmpfs "another user's link, protected_symlinks" "it wrote through the link"
  elif cmp -s "$shared/real.bmp" "$work/black.bmp" && grep -q "does not let you follow" <<<"$err"; then
    pass tmpfs "another user's link, protected_symlinks" "refused: ${err#*: }"
  else
    fail tmpfs "another user's link, protected_symlinks" "$err"
  fi
  echo "$symlinks_before" >/proc/sys/fs/protected_symlinks
else
  row tmpfs "another user's link, protected_symlinks" "skipped: cannot turn protected_symlinks on"
fi

# Another user's file in a sticky folder anyone may write: with protected_regular on,
# the kernel refuses even root a shell's `>` into it, and so must the save.
sticky=$work/mnt-tmpfs/sticky
if mountpoint -q "$work/mnt-tmpfs" && echo 1 >/proc/sys/fs/protected_regular 2>/dev/null; then
  mkdir -p "$sticky" && chmod 1777 "$sticky" && cp "$work/black.bmp" "$sticky/theirs.bmp"
  chown nobody "$sticky/theirs.bmp" && chmod 666 "$sticky/theirs.bmp"
  if err=$(hide "root's message" "$sticky/theirs.bmp" 2>&1); then
    fail tmpfs "another user's file, protected_regular" "it wrote the file"
  elif cmp -s "$sticky/theirs.bmp" "$work/black.bmp" && grep -q "does not let you write" <<<"$err"; then
    pass tmpfs "another user's file, protected_regular" "refused: ${err#*: }"
  else
    fail tmpfs "another user's file, protected_regular" "$err"
  fi
  echo "$regular_before" >/proc/sys/fs/protected_regular
else
  row tmpfs "another user's file, protected_regular" "skipped: cannot turn protected_regular on"
fi

# A 1 KB progressive JPEG claiming 10000 x 10000 points, opened in a control group
# held to 512 MB (a container's limit): refused as too large, never killed.
group=
for base in $(findmnt -n -t cgroup -o TARGET,OPTIONS | awk '$2 ~ /(^|,)memory(,|$)/ {print $1}'); do
  group=$base$(awk -F: '$2 ~ /(^|,)memory(,|$)/ {print $3}' /proc/self/cgroup)/veilmark-check.$$
  mkdir "$group" 2>/dev/null && echo $((512 << 20)) >"$group/memory.limit_in_bytes" 2>/dev/null && break
  rmdir "$group" 2>/dev/null; group=
done
if [ -n "$group" ]; then
  convert -size 64x64 plasma:fractal -interlace JPEG "$work/small.jpg"
  python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); i = b.index(b"\xff\xc2")
b[i + 5:i + 9] = (10000).to_bytes(2, "big") * 2; open(sys.argv[2], "wb").write(b)' "$work/small.jpg" "$work/claims.jpg"
  err=$(sh -c 'echo $$ >"$1/cgroup.procs" && exec "$2" reveal -p x "$3"' - "$group" "$cli" "$work/claims.jpg" 2>&1)
  status=$?
  rmdir "$group"
  if [ "$status" -ne 137 ] && grep -q "too large to open" <<<"$err"; then
    pass cgroup "a huge claim in a 512 MB group" "refused: ${err#*: }"
  else
    fail cgroup "a huge claim in a 512 MB group" "status $status: $err"
  fi
else
  row cgroup "a huge claim in a 512 MB group" "skipped: no memory control group can be made here"
fi

[ "$failed" -eq 0 ] && echo "check-file-systems: every case ended with the old or the complete new file" ||
  { echo "check-file-systems: $failed case(s) failed"; exit 1; }
