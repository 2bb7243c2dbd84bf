#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over our C++ sources with the
# compile commands of the dev build, and fails on any finding.
#
#   scripts/check-tidy.sh             every source the dev build compiles
#   scripts/check-tidy.sh --changed   only sources changed since main (and not committed)
#   scripts/check-tidy.sh FILE...     only these files
#
# The dev build (build-dev, from CMakePresets.json) is configured when it is
# missing; its generated sources (Qt's moc files) must exist, so it is built too.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${VEILMARK_JOBS:-2}
build=build-dev

command -v clang-tidy >/dev/null || {
  echo "clang-tidy is missing (scripts/deps.sh installs it): nothing checked" >&2
  exit 1
}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset dev >/dev/null
fi
cmake --build "$build" -j "$jobs" >/dev/null

# The sources the dev build compiles; headers are checked through them.
mapfile -t compiled < <(python3 - "$build/compile_commands.json" <<'EOF'
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(os.path.join(entry["directory"], entry["file"])))
EOF
)
known() { printf '%s\n' "${compiled[@]}" | grep -qxF "$1"; }

files=()
case "${1:-}" in
  "")
    mapfile -t files < <(git ls-files '*.cpp' | while read -r f; do known "$f" && echo "$f"; done)
    ;;
  --changed)
    base=$(git merge-base HEAD main 2>/dev/null || git rev-parse HEAD)
    mapfile -t files < <({ git diff --name-only "$base"; git ls-files --others --exclude-standard; } |
      sort -u | grep -E '\.(cpp|h)$' | while read -r f; do
        # A changed header is checked through the sources beside it.
        [ "${f%.h}" != "$f" ] && f=${f%.h}.cpp
        [ -f "$f" ] && known "$f" && echo "$f"
      done | sort -u)
    ;;
  *)
    files=("$@")
    ;;
esac
if [ ${#files[@]} -eq 0 ]; then
  echo "tidy: no source to check"
  exit 0
fi

echo "tidy: checking ${#files[@]} files"
log=$build/clang-tidy.log
# GCC's warning flags in the compile commands mean nothing to clang: not a finding.
if printf '%s\0' "${files[@]}" |
    xargs -0 -n 1 -P "$jobs" clang-tidy -p "$build" --quiet \
      --extra-arg=-Wno-unknown-warning-option >"$log" 2>&1; then
  echo "tidy ok"
else
  grep -E 'warning:|error:' "$log" | sort -u >&2 || cat "$log" >&2
  echo "tidy: findings above (all output in $log)" >&2
  exit 1
fi
