#!/usr/bin/env bash
# Runs every test headless. Window tests use Qt's offscreen platform; nothing needs a display.
set -euo pipefail
preset=${1:-dev}
export QT_QPA_PLATFORM=offscreen
# under the sanitizers every finding fails its test: undefined behaviour stops the program like an address
# error does
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0}
ctest --preset "$preset"
