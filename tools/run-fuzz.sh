#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`) and runs each for a bounded time from its seed corpus, after
# replaying the inputs that once crashed it. A crash, a leak or a broken property fails the run; the input
# that did it is left in build/fuzz/findings/<target>/ to be fixed and then kept in tests/fuzz/regressions/.
#   tools/run-fuzz.sh [seconds per target]        (default 25; FUZZ_SECONDS does the same)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-25}}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build=build/fuzz/tests/fuzz
read -r -a targets < "$build/targets.txt"
failed=0
summary=()
for name in "${targets[@]}"; do
    work=build/fuzz/corpus/$name        # what the run found, kept between local runs, never committed
    findings=build/fuzz/findings/$name
    mkdir -p "$work" "$findings"
    regressions=(tests/fuzz/regressions/"$name"/*)
    if [ -e "${regressions[0]}" ]; then
        if ! "$build/fuzz_$name" "${regressions[@]}" >"$findings/regressions.log" 2>&1; then
            echo "fuzz: $name fails on a kept regression input, see $findings/regressions.log" >&2
            failed=1
            continue
        fi
    fi
    log=$findings/run.log
    if "$build/fuzz_$name" "$work" "tests/fuzz/corpus/$name" -max_total_time="$seconds" -max_len=65536 \
        -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        summary+=("$name: ${runs:-?} executions in ${seconds}s, no crash")
    else
        summary+=("$name: FAILED, input in $findings/")
        tail -30 "$log" >&2
        failed=1
    fi
done
printf 'fuzz: %s\n' "${summary[@]}"
exit $failed
