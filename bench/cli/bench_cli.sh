#!/usr/bin/env bash
# bench_cli.sh [VEILMARK_CLI] -- times veilmark-cli on the 12 MP and 24 MP covers
# against floors measured in the same run on the same files:
#
#   hide from JPEG          <= 1.2 x  djpeg -bmp -outfile X  (decoding the JPEG to a bitmap)
#   hide from BMP           <= 2   x  cat FILE >NEW          (copying the bitmap)
#   reveal from 24 MP BMP   <= 1   x  cat FILE >/dev/null    (reading the bitmap)
#   hide over an existing   <= 2   x  cat FILE >TMP, sync TMP, mv TMP OLD, sync the folder
#     24 MP BMP                        (a durable replacement by hand)
#   what flushing costs     <= 0.5 x  djpeg of the 24 MP JPEG (the hide over an
#     a 24 MP replacement              existing file less the hide to a new one)
#   scan of 24 MP BMP       <= 10  x  cat FILE >/dev/null    (all 65,536 slot sequences)
#   peak memory, 24 MP hide <= 1.6 x  width x height x 3     (the picture's 24-bit size)
#
# Each time is the best of RUNS runs (default 9) after one warm-up, so the files
# are in the page cache for every contender; a command and its floor take turns. The covers come from the shared
# make_corpus.sh (ImageMagick); they are kept in CORPUS (default
# $TMPDIR/veilmark-bench-corpus) and made again only when their checksums differ.
# Prints a table of the ratios; exits 1 when a target is missed, 2 on a setup error.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cli=${1:-${VEILMARK_CLI:-$root/build-bench/src/cli/veilmark-cli}}
runs=${RUNS:-9}
corpus=${CORPUS:-${TMPDIR:-/tmp}/veilmark-bench-corpus}

die() { echo "bench_cli: $*" >&2; exit 2; }
[ -x "$cli" ] || die "no veilmark-cli at $cli (build it, or pass its path)"
command -v djpeg >/dev/null || die "djpeg is missing (apt-get install libjpeg-turbo-progs)"
[ -n "${EPOCHREALTIME:-}" ] || die "needs bash 5 (EPOCHREALTIME)"

make_corpus=${MAKE_CORPUS:-}
if [ -z "$make_corpus" ]; then
  for candidate in "$root/../shared/bench/make_corpus.sh" /work/shared/bench/make_corpus.sh; do
    [ -f "$candidate" ] && { make_corpus=$candidate; break; }
  done
fi
if ! { [ -f "$corpus/SHA256SUMS" ] && (cd "$corpus" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1; }; then
  [ -n "$make_corpus" ] || die "make_corpus.sh not found; set MAKE_CORPUS"
  echo "making the covers in $corpus ..." >&2
  sh "$make_corpus" "$corpus" >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/veilmark-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
secret=$corpus/secret160.txt
export VEILMARK_PASSWORD=bench-password

# Wall time of one run in microseconds; the command's output is dropped.
usec() { echo "${EPOCHREALTIME/./}"; }
cat_new() { cat "$1" >"$2"; }
cat_null() { cat "$1" >/dev/null; }
cat_sync() {
  cat "$1" >"$2.tmp"
  sync "$2.tmp"
  mv "$2.tmp" "$2"
  sync "$(dirname "$2")"
}

# One timed run in microseconds: PREP (untimed, e.g. removing the file the command
# writes), then CMD with its output dropped. Fails the bench when CMD fails.
timed() {
  local prep=$1 start end
  shift
  eval "$prep"
  start=$(usec)
  "$@" >/dev/null || die "failed: $*"
  end=$(usec)
  echo $((end - start))
}

# pair PREP-A CMD-A... -- PREP-B CMD-B...: "A B", the best times of RUNS runs of each,
# after one warm-up of each. The two alternate, so that the load of a shared machine
# falls on both alike.
pair() {
  local a=() b=() best_a= best_b= t i
  while [ "$1" != "--" ]; do a+=("$1"); shift; done
  shift
  b=("$@")
  timed "${a[@]}" >/dev/null
  timed "${b[@]}" >/dev/null
  for ((i = 0; i < runs; i++)); do
    t=$(timed "${a[@]}")
    if [ -z "$best_a" ] || [ "$t" -lt "$best_a" ]; then best_a=$t; fi
    t=$(timed "${b[@]}")
    if [ -z "$best_b" ] || [ "$t" -lt "$best_b" ]; then best_b=$t; fi
  done
  echo "$best_a $best_b"
}

# Peak resident memory of one run, in KiB.
peak_kib() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1
  else
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
  fi
}

rows=()
missed=0
# row CASE OURS FLOOR UNIT TARGET FLOOR-NAME: ratio = OURS / FLOOR against TARGET
# ("-": shown for comparison, no target).
row() {
  local ratio verdict=info
  ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", a / b }')
  if [ "$5" = - ]; then
    :
  elif awk -v r="$ratio" -v t="$5" 'BEGIN { exit !(r <= t) }'; then
    verdict=ok
  else
    verdict=MISSED
    missed=$((missed + 1))
  fi
  local target="<= $5"
  [ "$5" = - ] && target=-
  rows+=("$(printf '%-26s %10s %10s %-5s %6s  %-7s %-7s %s' "$1" "$2" "$3" "$4" "$ratio" "$target" "$verdict" "$6")")
}
ms() { awk -v u="$1" 'BEGIN { printf "%.1f", u / 1000 }'; }

for size in 4000x3000 6000x4000; do
  mp=$([ "$size" = 4000x3000 ] && echo 12 || echo 24)
  jpg=$corpus/photo_$size.jpg
  bmp=$corpus/photo_$size.bmp
  out=$work/out.bmp
  echo "timing the $mp MP covers ($size), best of $runs ..." >&2

  read -r hide_jpg_t djpeg_t < <(pair "rm -f $out" "$cli" hide --message-file "$secret" "$jpg" "$out" \
    -- "rm -f $work/djpeg.bmp" djpeg -bmp -outfile "$work/djpeg.bmp" "$jpg")
  read -r hide_bmp_t copy_t < <(pair "rm -f $out" "$cli" hide --message-file "$secret" "$bmp" "$out" \
    -- "rm -f $work/copy.bmp" cat_new "$bmp" "$work/copy.bmp")
  read -r reveal_t read_t < <(pair : "$cli" reveal "$out" -- : cat_null "$bmp")
  cmp -s <("$cli" reveal "$out") "$secret" || die "reveal did not give the secret back ($size)"

  row "hide from JPEG, $mp MP" "$(ms "$hide_jpg_t")" "$(ms "$djpeg_t")" ms 1.2 "djpeg -bmp"
  row "hide from BMP, $mp MP" "$(ms "$hide_bmp_t")" "$(ms "$copy_t")" ms 2 "cat >new"
  # The target is for the 24 MP bitmap; on smaller ones starting the program weighs more.
  row "reveal from BMP, $mp MP" "$(ms "$reveal_t")" "$(ms "$read_t")" ms "$([ "$mp" = 24 ] && echo 1 || echo -)" "cat >/dev/null"

  if [ "$mp" = 24 ]; then
    # Replacing a file flushes the new picture to the disk before the rename, and
    # the folder after it; the old file is on the disk before each run.
    old="cp $bmp $out && sync $out"
    read -r replace_t durable_t < <(pair "$old" "$cli" hide --force --message-file "$secret" "$bmp" "$out" \
      -- "cp $bmp $work/copy.bmp && sync $work/copy.bmp" cat_sync "$bmp" "$work/copy.bmp")
    read -r replace2_t new_t < <(pair "$old" "$cli" hide --force --message-file "$secret" "$bmp" "$out" \
      -- "rm -f $out" "$cli" hide --message-file "$secret" "$bmp" "$out")
    [ "$replace2_t" -lt "$replace_t" ] && replace_t=$replace2_t
    flush_t=$((replace_t > new_t ? replace_t - new_t : 0))
    row "hide over BMP, $mp MP" "$(ms "$replace_t")" "$(ms "$durable_t")" ms 2 "cat+sync+mv+sync"
    row "flushing, $mp MP" "$(ms "$flush_t")" "$(ms "$djpeg_t")" ms 0.5 "djpeg -bmp"

    read -r scan_t scan_read_t < <(pair : "$cli" scan "$out" -- : cat_null "$bmp")
    cmp -s <("$cli" scan "$out") "$secret" || die "scan did not find the secret ($size)"
    row "scan from BMP, $mp MP" "$(ms "$scan_t")" "$(ms "$scan_read_t")" ms 10 "cat >/dev/null"
    w=${size%x*} h=${size#*x}
    picture_kib=$((w * h * 3 / 1024))
    rm -f "$out"
    row "peak memory, hide JPEG" "$(peak_kib "$cli" hide --message-file "$secret" "$jpg" "$out")" "$picture_kib" KiB 1.6 "w*h*3"
    rm -f "$out"
    row "peak memory, hide BMP" "$(peak_kib "$cli" hide --message-file "$secret" "$bmp" "$out")" "$picture_kib" KiB 1.6 "w*h*3"
  fi
done

printf '%-26s %10s %10s %-5s %6s  %-7s %-7s %s\n' case veilmark floor unit ratio target result floor
for r in "${rows[@]}"; do echo "$r"; done
if [ "$missed" -gt 0 ]; then
  echo "$missed target(s) missed"
  exit 1
fi
echo "all targets met"
