#!/usr/bin/env bash
# The web page into build-web/site/, through the web preset of CMakePresets.json.
set -euo pipefail; cd "$(dirname "$0")/.."
cmake --preset web >/dev/null && cmake --build --preset web -j "${VEILMARK_JOBS:-2}"
