#!/usr/bin/env bash
# Installs the Debian 12 packages Varnholt needs to build, test and run; skips what is present.
set -euo pipefail

# Qt6Gui's CMake package insists on OpenGL (libgl-dev, also pulled in by qt6-base-dev); its xkbcommon and Vulkan
# lookups are optional. xvfb and xauth serve `make demo` without a display, the fonts the offscreen window tests;
# xdg-utils names the desktop's browser for reports, chromium opens a written report in the browser test.
packages=(
    build-essential cmake ninja-build ccache pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
    libbenchmark-dev libcpp-httplib-dev
    xvfb xauth fonts-dejavu-core xdg-utils chromium
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: all packages present"
    exit 0
fi

echo "deps: missing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "deps: installing packages needs root; run:" >&2
    echo "    sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    echo "or: sudo make deps" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
