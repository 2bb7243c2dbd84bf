#!/usr/bin/env bash
# Builds every test of the main build with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan) and runs them. Fails on a failing test
# and on any sanitizer report, also one from a child process whose exit status a
# test does not look at: reports go to files under build-asan/sanitizer-reports,
# which must stay empty.
#
#   scripts/sanitize.sh            build and run everything
#   scripts/sanitize.sh -R REGEX   run only the matching tests (after a full build)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${VEILMARK_JOBS:-2}

# The asan preset: -O1 and line tables only, quick to build, fast enough to run,
# and every report still names the file and line.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"

reports=$PWD/build-asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export QT_QPA_PLATFORM=offscreen
# intercept_tls_get_addr=0: GCC 12's LeakSanitizer follows the dynamic TLS blocks it
# tracks through __tls_get_addr and crashes on a stale one ("Tracer caught signal
# 11", DTLS at a bogus address) once Qt's image plugins have been loaded and
# written with; without the tracking the leak check runs and finds nothing.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:intercept_tls_get_addr=0:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
# Tests labelled slow (minutes each) run in CI only.
skip_slow=(-LE slow)
[ "${CI:-}" = "true" ] && skip_slow=()
ctest --preset asan -j "$jobs" "${skip_slow[@]}" "$@" || status=$?

if [ -n "$(ls -A "$reports")" ]; then
  echo "sanitizer reports:" >&2
  for f in "$reports"/*; do
    echo "---- $f" >&2
    head -n 80 "$f" >&2
  done
  status=1
fi
[ $status -eq 0 ] && echo "sanitizer build: all tests passed, no reports"
exit $status
