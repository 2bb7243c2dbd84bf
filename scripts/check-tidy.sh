#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over our C++ sources with the
# compile commands of the dev build, and fails on any finding.
#
#   scripts/check-tidy.sh             every source the dev build compiles
#   scripts/check-tidy.sh --changed   only sources changed on this branch (see changedBase)
#   scripts/check-tidy.sh FILE...     only these files
#
# The dev build (build-dev, from CMakePresets.json) is configured when it is
# missing, and its moc files are generated; nothing needs to be compiled first.
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
# Qt's moc output, which some sources include, is all that must exist beforehand.
mapfile -t generated < <(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(.*_autogen\)$/\1/p')
if [ ${#generated[@]} -gt 0 ]; then
  cmake --build "$build" -j "$jobs" --target "${generated[@]}" >"$build/tidy-build.log" 2>&1 || {
    tail -n 40 "$build/tidy-build.log" >&2
    echo "tidy: generating the moc files failed (all output in $build/tidy-build.log)" >&2
    exit 1
  }
fi

# The sources the dev build compiles; headers are checked through them.
mapfile -t compiled < <(python3 - "$build/compile_commands.json" <<'EOF'
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(os.path.join(entry["directory"], entry["file"])))
EOF
)
known() { printf '%s\n' "${compiled[@]}" | grep -qxF "$1"; }

# What --changed compares with: on a branch, where it left main, so that committed
# work is checked too; on main itself (or a branch with nothing beyond it), its
# upstream when it is ahead of that, else the last VEILMARK_TIDY_COMMITS commits
# (10 by default). Uncommitted and new files are always added.
changedBase() {
  local head base upstream
  head=$(git rev-parse HEAD)
  if base=$(git merge-base HEAD main 2>/dev/null) && [ "$base" != "$head" ]; then
    echo "$base"
  elif upstream=$(git merge-base HEAD '@{upstream}' 2>/dev/null) && [ "$upstream" != "$head" ]; then
    echo "$upstream"
  else
    git rev-parse --verify -q "HEAD~${VEILMARK_TIDY_COMMITS:-10}" ||
      git rev-list --max-parents=0 HEAD | tail -n 1
  fi
}

files=()
case "${1:-}" in
  "")
    mapfile -t files < <(git ls-files '*.cpp' | while read -r f; do known "$f" && echo "$f"; done)
    ;;
  --changed)
    base=$(changedBase)
    echo "tidy: sources changed since $(git log -1 --format='%h %s' "$base" | cut -c1-60)"
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
