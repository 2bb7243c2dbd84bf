#!/usr/bin/env bash
# Makes the small sample pictures behind the hostile-file tests and the reveal
# fuzz target's seeds, and writes them into the tree (they are committed, so
# neither the tests nor CI need ImageMagick):
#   tests/data/hostile/   one tiny picture per layout the tests open (scripts/fuzz.sh
#                         makes them the picture_open target's seeds)
#   fuzz/corpus/reveal/   a few fixed byte strings to start the reveal target from
# The truncated, oversized and random files are made by the tests themselves.
set -euo pipefail
cd "$(dirname "$0")/.."

# The ImageMagick binary itself; `convert` may be a wrapper that changes pictures.
im=$(command -v convert-im6.q16 || command -v magick || command -v convert)
# No dates or comments in the files, so that running this again changes nothing.
im() { local a=("$@"); local last=${a[-1]}; unset "a[-1]"; "$im" "${a[@]}" -strip "$last"; }
out=tests/data/hostile
mkdir -p "$out"
rm -f "$out"/*

# Every lossless sample is 4 x 3 points with a red first point (top left), a
# green one to its right, and blue elsewhere, so the tests know what to expect.
base=(-size 4x3 xc:blue -fill red -draw 'point 0,0' -fill lime -draw 'point 1,0')

im "${base[@]}" -type TrueColor BMP3:"$out/rgb24.bmp"
im "${base[@]}" -type Palette -colors 4 -compress None BMP3:"$out/palette4.bmp"
# Twenty distinct rows need a palette of 256: red at the top, blue at the bottom.
im -size 2x20 gradient:red-blue -type Palette -compress None BMP3:"$out/palette8.bmp"
im "${base[@]}" -type Palette -colors 4 -compress RLE BMP3:"$out/rle8.bmp"
im -size 4x3 xc:white -fill black -draw 'point 0,0' -type Bilevel BMP3:"$out/mono1.bmp"
# 32 bits a point with a half-transparent first point.
im "${base[@]}" -alpha set -fill 'rgba(255,0,0,0.5)' -draw 'color 0,0 point' \
  -define bmp:format=bmp4 BMP:"$out/alpha32.bmp"
im "${base[@]}" GIF:"$out/still.gif"
# Two frames: the first is the picture.
im "${base[@]}" \( -size 4x3 xc:yellow \) -set delay 10 -loop 0 GIF:"$out/animated.gif"
# The first point transparent.
im "${base[@]}" -alpha set -fill none -draw 'color 0,0 point' GIF:"$out/transparent.gif"
# JPEG is lossy: solid 8 x 8 pictures, so one colour survives compression closely.
im -size 8x8 xc:'rgb(200,40,90)' -quality 95 JPEG:"$out/rgb.jpg"
im -size 8x8 xc:'gray(128)' -colorspace Gray -quality 95 JPEG:"$out/grey.jpg"
im -size 8x8 xc:'rgb(200,40,90)' -colorspace CMYK -quality 95 JPEG:"$out/cmyk.jpg"
# Progressive, every component at full size: its decoder keeps every coefficient.
im -size 8x8 xc:'rgb(200,40,90)' -sampling-factor 1x1 -interlace JPEG -quality 95 \
  JPEG:"$out/progressive.jpg"
# Stored on its side, 16 x 8 with red on the left, and an EXIF orientation of 6 (turn
# right to show it), so that it is 8 x 16 upright with red on top. ImageMagick writes
# no orientation without a camera's EXIF block, so the block is put in by hand.
im -size 8x8 xc:red -size 8x8 xc:blue +append -quality 95 JPEG:"$out/sideways.tmp"
{
  head -c 2 "$out/sideways.tmp"
  printf '\xff\xe1\x00\x22Exif\x00\x00II*\x00\x08\x00\x00\x00'      # APP1, little-endian TIFF
  printf '\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00' # one entry: orientation 6
  printf '\x00\x00\x00\x00'                                             # no further entries
  tail -c +3 "$out/sideways.tmp"
} >"$out/turned.jpg"
rm "$out/sideways.tmp"
im "${base[@]}" -depth 16 PNG48:"$out/deep16.png"
im "${base[@]}" -alpha set -fill 'rgba(255,0,0,0.5)' -draw 'color 0,0 point' PNG32:"$out/alpha.png"
im -size 1x1 xc:red BMP3:"$out/one_point.bmp"
im -size 1x7 xc:lime BMP3:"$out/one_column.bmp"
im -size 7x1 xc:lime GIF:"$out/one_row.gif"
# Larger ones, to cut in the middle of their picture data: a swirl of red and blue.
swirl=(-size 64x48 gradient:red-blue -swirl 90)
im "${swirl[@]}" GIF:"$out/swirl.gif"
im "${swirl[@]}" -quality 90 JPEG:"$out/swirl.jpg"
im "${swirl[@]}" -colors 200 -compress RLE BMP3:"$out/swirl_rle8.bmp"
im "${swirl[@]}" PNG24:"$out/swirl.png"

# Fuzz seeds for reveal: fixed pseudo-random bytes of a few lengths.
seeds=fuzz/corpus/reveal
mkdir -p "$seeds"
rm -f "$seeds"/*
RANDOM=20240607  # a fixed seed: running this again writes the same bytes
for n in 16 64 300 700 1500 3000; do
  bytes=""
  for ((i = 0; i < n; i++)); do
    printf -v b '\\0%03o' $((RANDOM % 256))
    bytes+=$b
  done
  printf '%b' "$bytes" >"$seeds/seed$(printf %04d "$n")"
done
ls -l tests/data/hostile fuzz/corpus/reveal
