#!/usr/bin/env bash
# Takes the README's picture of the window: the demo under Xvfb, where xdotool selects every map (right-click the
# map list, "Fill") and starts "Inventory Servers" (right-click the server list); ImageMagick's import takes the
# screen when the inventory has had time to end.
#   tools/demo-picture.sh <Varnholt> <varnholt-sim> <output.png>
set -euo pipefail
exe=$1
sim=$2
out=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)/demo
env -u DISPLAY -u WAYLAND_DISPLAY "$here/run-demo.sh" "$exe" "$sim" "$dir" sh -c '
    "$0" --base-folder "$1" &
    window=$!
    sleep 15
    # the window sits at the top left of the virtual screen: the map list at the left, the server list at the right
    xdotool mousemove 160 500 click 3 sleep 1 key Down Down Return sleep 2
    xdotool mousemove 860 420 click 3 sleep 1 key Down Return
    sleep "${DEMO_PICTURE_SECONDS:-60}"
    import -window root -crop 1100x760+0+0 +repage "$2"
    kill "$window"
    wait "$window" || true
' "$exe" "$dir" "$out"
echo "picture: $out"
