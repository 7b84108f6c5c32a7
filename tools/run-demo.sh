#!/usr/bin/env bash
# Starts the simulated server farm on a fresh demo workspace, then Varnholt on it (under Xvfb when there is no
# display); the farm stops when the window closes.
#   tools/run-demo.sh <Varnholt> <varnholt-sim> <workspace folder> [command to run instead of waiting for the window]
set -euo pipefail
exe=$1
sim=$2
dir=$3
shift 3

rm -rf "$dir"
mkdir -p "$(dirname "$dir")"
"$sim" --workspace "$dir" --minutes "${DEMO_MINUTES:-60}" &
farm=$!
stop_farm() {
    kill -INT "$farm" 2>/dev/null || true
    wait "$farm" 2>/dev/null || true
}
trap stop_farm EXIT

# the farm writes its manifest last, once it serves
for _ in $(seq 1 240); do
    [ -f "$dir/farm-manifest.json" ] && break
    if ! kill -0 "$farm" 2>/dev/null; then
        echo "demo: the farm did not start" >&2
        exit 1
    fi
    sleep 0.5
done
[ -f "$dir/farm-manifest.json" ] || { echo "demo: the farm did not get ready within two minutes" >&2; exit 1; }

echo "demo: workspace in $dir; the window's log shows what happens."
echo "demo: right-click \"Maps\" and choose \"Fill\", then right-click \"Servers to scan\" and choose \"Inventory Servers\"."
run=("$exe" --base-folder "$dir")
if [ $# -gt 0 ]; then
    run=("$@")
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display found; starting under Xvfb (a 1280x1024 virtual screen)"
    xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
else
    "${run[@]}"
fi
