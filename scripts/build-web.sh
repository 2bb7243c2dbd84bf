#!/usr/bin/env bash
# Builds the web page from the same core as the windows and veilmark-cli, with
# Debian's emscripten, into build-web/site/ (static files any server can serve).
#   bash scripts/build-web.sh            # then: python3 -m http.server -d build-web/site 8080
# The module is embedded in the script (no .wasm to fetch), so the page's policy can
# forbid every connection; it is compiled from those bytes at once, because the
# loader's asynchronous way tries fetch() even on its embedded data first. VEILMARK_WERROR=ON (or CI=true) turns warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/build-web}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}  # Debian's node does not look there by itself
command -v em++ >/dev/null || { echo "build-web: em++ not found (apt-get install emscripten)" >&2; exit 1; }

# The core the page needs, and the page's own binding. Files that only the desktop
# uses are linked too where the engine refers to them, but never reached.
sources=(
  platform/checked platform/ending_signals platform/file_io platform/file_replacement
  platform/guarded_mapping platform/user_messages platform/utf8
  imaging/bitmap_file_picture imaging/bitmap_header imaging/bitmap_writer imaging/canvas
  imaging/layered_picture imaging/picture imaging/picture_input imaging/picture_reader
  imaging/picture_saving imaging/working_area
  engine/bit_carrier engine/code_page flows/hide_checks flows/hide_flow flows/open_flow engine/hide_reveal engine/password_seed engine/payload
  engine/random_source flows/save_flow engine/sealed_field engine/sealed_payload engine/used_slots flows/file_dialogs
  web/memory_pictures web/page_bindings web/turned_picture web/web_form web/ycbcr_planes_picture
)
# Sealing: the part of Debian's libsodium it needs, built once into the output folder.
sodium=$out/libsodium
bash "$root/scripts/libsodium-web.sh" "$sodium"

flags=(-std=c++20 -O2 -fwasm-exceptions -I"$root/src" -isystem "$sodium/include"
       -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
if [[ ${VEILMARK_WERROR:-} == ON || ${CI:-} == true ]]; then flags+=(-Werror); fi

mkdir -p "$out/obj" "$out/site"
objects=()
stale=()
for source in "${sources[@]}"; do
  object=$out/obj/${source//\//_}.o
  objects+=("$object")
  # Rebuilt when the source or any header of ours is newer than the object.
  if [[ ! -e $object || -n $(find "$root/src/${source}.cpp" "$root/src" -name '*.h' -newer "$object" -print -quit 2>/dev/null) \
        || "$root/src/${source}.cpp" -nt "$object" ]]; then
    stale+=("$source")
  fi
done
compile() {  # SOURCE: one object; file_io's file-to-file copy, never reached here, takes
            # a 64-bit length that a 32-bit size_t would shorten.
  local extra=()
  [[ $1 == platform/file_io ]] && extra=(-Wno-shorten-64-to-32)
  em++ "${flags[@]}" "${extra[@]}" -c "$root/src/$1.cpp" -o "$out/obj/${1//\//_}.o"
}
export -f compile
export root out
if ((${#stale[@]})); then
  printf '%s\n' "${stale[@]}" | FLAGS="${flags[*]}" xargs -P 2 -I{} bash -c 'flags=($FLAGS); compile {}'
fi

em++ -O2 -fwasm-exceptions "${objects[@]}" "$sodium/lib/libsodium.a" -o "$out/site/veilmark-core.js" \
  -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=createVeilmarkCore -sENVIRONMENT=web \
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sDYNAMIC_EXECUTION=0 -sFILESYSTEM=0 \
  -sWASM_ASYNC_COMPILATION=0 \
  -sEXPORTED_RUNTIME_METHODS='["ccall","UTF8ToString"]'
cp "$root"/web/index.html "$root"/web/page.js "$root"/web/page.css "$out/site/"
cp "$root"/packaging/io.github.veilmark.Veilmark.svg "$out/site/icon.svg"
echo "build-web: $out/site ($(du -k "$out/site/veilmark-core.js" | cut -f1) KB of script with the module)"
