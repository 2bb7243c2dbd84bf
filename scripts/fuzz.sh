#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them one after another from the seeds in
# fuzz/corpus/<target>. A crash is saved as build-fuzz/artifacts/<target>-crash-*
# and fails the script.
#
#   scripts/fuzz.sh --short              each target for 60 s (the test command)
#   scripts/fuzz.sh --long SECONDS [T..] each named target (default all) that long
#   scripts/fuzz.sh --build              build only
#
# The short run, part of every test run, starts from the committed seeds only and
# mutates them with a fixed random seed, so that it tries the same inputs each time
# and a failure it reports can be reproduced. The long run explores: it starts
# from everything found so far, collected in fuzz/corpus-run/<target> (not
# committed), with a new random seed each time.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:---short}
seconds=60
shift || true
case "$mode" in
  --short) ;;
  --long) seconds=${1:?--long needs a number of seconds}; shift ;;
  --build) ;;
  *) echo "usage: $0 --short | --long SECONDS [target...] | --build" >&2; exit 2 ;;
esac
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(picture_open reveal)
jobs=${VEILMARK_JOBS:-2}

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing (scripts/deps.sh installs it)" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEILMARK_BUILD_FUZZ=ON -DVEILMARK_BUILD_UI=OFF -DVEILMARK_BUILD_TESTS=OFF \
  -DVEILMARK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"
[ "$mode" = "--build" ] && exit 0

# Per target: the longest input worth trying.
declare -A max_len=([picture_open]=65536 [reveal]=4096)

mkdir -p build-fuzz/artifacts build-fuzz/logs
export QT_QPA_PLATFORM=offscreen
# Leaks are checked per input; abort on the first sanitizer report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for t in "${targets[@]}"; do
  if [ "$mode" = --short ]; then
    run=build-fuzz/corpus-short/$t
    rm -rf "$run"
    explore=(-seed=1)
  else
    run=fuzz/corpus-run/$t
    explore=()
  fi
  mkdir -p "$run"
  log=build-fuzz/logs/$t-${mode#--}.log
  echo "== fuzz $t for ${seconds}s"
  # A picture the harness opens is at most 4 million points; the limits keep a
  # runaway allocation from taking the machine down instead of failing the run.
  if ./build-fuzz/fuzz/fuzz_"$t" "$run" "fuzz/corpus/$t" \
      -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -malloc_limit_mb=1024 \
      -max_len="${max_len[$t]}" -print_final_stats=1 "${explore[@]}" \
      -artifact_prefix="build-fuzz/artifacts/$t-" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
  else
    failed+=("$t")
    echo "fuzz $t FAILED; the end of $log:" >&2
    tail -n 60 "$log" >&2
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found a failure in: ${failed[*]} (inputs in build-fuzz/artifacts)" >&2
  exit 1
fi
echo "fuzz ok: ${targets[*]}"
