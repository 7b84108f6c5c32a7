#!/usr/bin/env bash
# Runs every benchmark with a few repetitions and prints the medians.
set -euo pipefail
dir=$1
for b in "$dir"/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
