#!/usr/bin/env bash
# The whole check: build and run every test on the `ci` preset, check the Debian package, run every test again
# on `asan` (address and undefined-behaviour sanitizers), the tests of the work on other threads on `tsan`
# (thread sanitizer), then run the fuzz targets. Prints each step's time.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
    local name=$1
    shift
    local start=$SECONDS
    echo "== $name"
    "$@"
    echo "== $name: $((SECONDS - start)) s"
}

step "build (ci)" cmake --preset ci
step "build (ci)" cmake --build --preset ci
step "tests (ci)" tools/run-tests.sh ci
step "package check (ci)" tools/check-package.sh build/ci
step "build (asan)" cmake --preset asan
step "build (asan)" cmake --build --preset asan
step "tests (asan)" tools/run-tests.sh asan
step "build (tsan)" cmake --preset tsan
step "build (tsan)" cmake --build --preset tsan
step "tests (tsan)" tools/run-tests.sh tsan
step "fuzz" tools/run-fuzz.sh "${FUZZ_SECONDS:-25}"
