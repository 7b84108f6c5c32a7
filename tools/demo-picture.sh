#!/usr/bin/env bash
# Takes the README's picture of the window: the demo under Xvfb, 40 seconds after start, by ImageMagick's import.
#   tools/demo-picture.sh <Varnholt> <varnholt-sim> <output.png>
set -euo pipefail
exe=$1
sim=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)/demo
DISPLAY= WAYLAND_DISPLAY= "$here/run-demo.sh" "$exe" "$sim" "$dir" sh -c '
    "$0" --base-folder "$1" &
    window=$!
    sleep "${DEMO_PICTURE_SECONDS:-40}"
    import -window root "$2"
    kill "$window"
    wait "$window" || true
' "$exe" "$dir" "$out"
echo "picture: $out"
