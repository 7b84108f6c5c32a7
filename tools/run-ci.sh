#!/usr/bin/env bash
# The whole check: build and run every test on the `ci` preset, check the Debian package, then run the fuzz
# targets. Prints each step's time. The sanitizer run of the whole suite (`make test PRESET=asan`) joins it once
# every suite added since the last sanitizer run has passed under it.
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
step "fuzz" tools/run-fuzz.sh "${FUZZ_SECONDS:-25}"
