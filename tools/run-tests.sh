#!/usr/bin/env bash
# Runs every test headless. Window tests use Qt's offscreen platform; nothing needs a display.
set -euo pipefail
preset=${1:-dev}
export QT_QPA_PLATFORM=offscreen
# under the sanitizers every finding fails its test: undefined behaviour stops the program like an address
# error does
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$(cd "$(dirname "$0")" && pwd)/tsan.supp}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0}
if [ "$preset" = tsan ] && command -v setarch >/dev/null; then
    # the thread sanitizer's shadow memory wants the classic address layout on kernels with much randomisation
    exec setarch "$(uname -m)" -R ctest --preset "$preset"
fi
ctest --preset "$preset"
