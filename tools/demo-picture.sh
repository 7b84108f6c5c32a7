#!/usr/bin/env bash
# Takes the README's picture of the window: the demo under Xvfb, where xdotool selects every map (right-click the
# "Maps" list, "Fill") and starts "Inventory Servers" (right-click "Servers to scan"); ImageMagick's import takes
# the screen once the inventory has ended (the vault has stopped growing) and the first entry is under review.
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
    # the window opens once the lists are loaded; a busy machine takes longer
    for _ in $(seq 1 60); do
        xdotool search --name Varnholt >/dev/null 2>&1 && break
        sleep 1
    done
    sleep 5
    # the 1180 x 780 window sits at the top left of the virtual screen: the picture at the left, the details,
    # the lists ("Maps", "Name filter" and "Providers", "Servers to scan") and the log in the column at the right
    xdotool mousemove 773 470 click 3 sleep 1 key Down Down Return sleep 2
    xdotool mousemove 1074 470 click 3 sleep 1 key Down Return
    # the inventory has ended when the vault has not grown for ten seconds (at most DEMO_PICTURE_SECONDS)
    last=-1
    quiet=0
    for _ in $(seq 1 "${DEMO_PICTURE_SECONDS:-240}"); do
        sleep 1
        now=$(ls "$1/PBSS/vault" 2>/dev/null | wc -l)
        if [ "$now" -gt 0 ] && [ "$now" -eq "$last" ]; then
            quiet=$((quiet + 1))
            [ "$quiet" -ge 10 ] && break
        else
            quiet=0
        fi
        last=$now
    done
    import -window root -crop 1180x780+0+0 +repage "$2"
    kill "$window"
    wait "$window" || true
' "$exe" "$dir" "$out"
echo "picture: $out"
