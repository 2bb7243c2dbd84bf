#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (the fuzz preset: clang,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs them one after another
# from their seeds. A crash is saved as build-fuzz/artifacts/<target>-crash-* and
# fails the script.
#
# Seeds: picture_open starts from every sample picture of the tests
# (tests/data/hostile, tests/data/regressions), made into fuzz inputs here, plus
# the inputs in fuzz/corpus/picture_open that the fuzzer once found trouble with;
# reveal starts from the byte strings in fuzz/corpus/reveal.
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

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"
[ "$mode" = "--build" ] && exit 0

# picture_open's input is one byte that picks the file name (0 .bmp, 1 .gif,
# 2 .jpg, 3 .png, 6 none), then the file.
seeds=build-fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds/picture_open"
for f in tests/data/hostile/* tests/data/regressions/*; do
  case "$f" in
    *.bmp) sel='\x00' ;; *.gif) sel='\x01' ;; *.jpg) sel='\x02' ;; *.png) sel='\x03' ;;
    *) sel='\x06' ;;  # no extension: the content alone decides
  esac
  { printf "$sel"; cat "$f"; } >"$seeds/picture_open/$(basename "$(dirname "$f")")-$(basename "$f")"
done

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
  from=("fuzz/corpus/$t")
  [ -d "$seeds/$t" ] && from+=("$seeds/$t")
  if ./build-fuzz/fuzz/fuzz_"$t" "$run" "${from[@]}" \
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
