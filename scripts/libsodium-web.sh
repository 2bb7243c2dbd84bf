#!/usr/bin/env bash
# Builds the part of Debian's libsodium the page seals and opens with (Argon2id,
# XChaCha20-Poly1305, the random source and the library's start) into OUTDIR/lib/
# libsodium.a, with its headers in OUTDIR/include/, using Debian's emscripten.
#   bash scripts/libsodium-web.sh OUTDIR
# The source is Debian's own package, fetched with a sources list of our own, so the
# machine's apt configuration is left as it is. A second run with the library there
# does nothing.
set -euo pipefail
out=${1:?usage: $0 OUTDIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
[[ -e $out/lib/libsodium.a ]] && exit 0
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
command -v emcc >/dev/null || { echo "libsodium-web: emcc not found (apt-get install emscripten)" >&2; exit 1; }
command -v dpkg-source >/dev/null || { echo "libsodium-web: dpkg-source not found (apt-get install dpkg-dev)" >&2; exit 1; }

# The same mirror as the machine's own Debian sources, for the same release as the
# libsodium-dev the desktop links.
fetch=$out/fetch
rm -rf "$fetch"
mkdir -p "$fetch/lists/partial" "$fetch/source"
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -n 1)
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror:-http://deb.debian.org/debian} bookworm main" \
  >"$fetch/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$fetch/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$fetch/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
          -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" -qq update
(cd "$fetch/source" && apt-get "${apt_opts[@]}" -qq source libsodium >/dev/null)
src=$(echo "$fetch"/source/libsodium-*/src/libsodium)
[[ -d $src ]] || { echo "libsodium-web: the source package did not unpack" >&2; exit 1; }

# What sodium_init, crypto_pwhash (Argon2id), the XChaCha20-Poly1305 AEAD and
# randombytes_buf reach. sodium_init also picks the fastest Curve25519 and Salsa20
# code, so their portable versions come along; nothing else of the library does.
files=(
  sodium/core sodium/runtime sodium/utils sodium/codecs
  randombytes/randombytes
  crypto_pwhash/crypto_pwhash crypto_pwhash/argon2/argon2 crypto_pwhash/argon2/argon2-core
  crypto_pwhash/argon2/argon2-encoding crypto_pwhash/argon2/argon2-fill-block-ref
  crypto_pwhash/argon2/blake2b-long crypto_pwhash/argon2/pwhash_argon2i
  crypto_pwhash/argon2/pwhash_argon2id
  crypto_generichash/blake2b/ref/blake2b-ref crypto_generichash/blake2b/ref/blake2b-compress-ref
  crypto_generichash/blake2b/ref/generichash_blake2b
  crypto_aead/xchacha20poly1305/sodium/aead_xchacha20poly1305
  crypto_core/hchacha20/core_hchacha20
  crypto_stream/chacha20/stream_chacha20 crypto_stream/chacha20/ref/chacha20_ref
  crypto_onetimeauth/poly1305/onetimeauth_poly1305 crypto_onetimeauth/poly1305/donna/poly1305_donna
  crypto_verify/sodium/verify
  crypto_scalarmult/curve25519/scalarmult_curve25519 crypto_scalarmult/curve25519/ref10/x25519_ref10
  crypto_core/ed25519/ref10/ed25519_ref10
  crypto_stream/salsa20/stream_salsa20 crypto_stream/salsa20/ref/salsa20_ref
  crypto_core/salsa/ref/core_salsa_ref
)
inc=$src/include/sodium
version=$(sed -n 's/^Version: *//p' "$fetch"/source/*.dsc | head -n 1)
sed -e "s/@VERSION@/${version%%-*}/" -e 's/@SODIUM_LIBRARY_VERSION_MAJOR@/10/' \
    -e 's/@SODIUM_LIBRARY_VERSION_MINOR@/3/' -e 's/@SODIUM_LIBRARY_MINIMAL_DEF@//' \
    "$inc/version.h.in" >"$inc/version.h"
mkdir -p "$fetch/obj" "$out/lib" "$out/include"
objects=()
for f in "${files[@]}"; do objects+=("$fetch/obj/${f//\//_}.o"); done
printf '%s\n' "${files[@]}" | xargs -P 2 -I{} bash -c 'f={}; emcc -O2 -DCONFIGURED=1 -DNATIVE_LITTLE_ENDIAN=1 \
    -I"$0/include/sodium" -w -c "$0/$f.c" -o "$1/obj/${f//\//_}.o"' "$src" "$fetch"
emar rcs "$fetch/libsodium.a" "${objects[@]}"
cp -r "$inc.h" "$inc" "$out/include/"
mv "$fetch/libsodium.a" "$out/lib/"  # last, so a library there is always a whole one
rm -rf "$fetch"
echo "libsodium-web: $out/lib/libsodium.a (${#files[@]} files of libsodium $version)"
