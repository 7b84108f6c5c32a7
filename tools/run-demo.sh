#!/usr/bin/env bash
# Copies the demo workspace into a fresh folder and starts Varnholt on it.
set -euo pipefail
exe=$1
dir=$2
here=$(cd "$(dirname "$0")/.." && pwd)

rm -rf "$dir"
mkdir -p "$dir"
cp -r "$here/demo/data" "$dir/data"
cp -r "$here/demo/banlists" "$dir/banlists"
echo "demo: workspace in $dir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display found; starting under Xvfb (a 1280x1024 virtual screen)"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$exe" --base-folder "$dir"
fi
exec "$exe" --base-folder "$dir"
