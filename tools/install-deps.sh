#!/usr/bin/env bash
# Installs the Debian 12 packages Varnholt needs to build, test and run; skips what is present.
set -euo pipefail

# Qt6Gui's CMake package insists on OpenGL (libgl-dev, also pulled in by qt6-base-dev); its xkbcommon and Vulkan
# lookups are optional. Qt6HttpServer's CMake package needs the WebSockets one. xvfb and xauth serve `make demo`
# without a display, the fonts the offscreen window tests, chromium the tests that open the report and the gallery
# pages, xdg-utils names the desktop's browser for reports; imagemagick and xdotool take the picture of the demo window for the README.
# The package and its check: rsvg-convert renders the PNG icons, dpkg-dev finds the package's dependencies,
# groff and man-db read the manuals; desktop-file-utils, appstream and systemd validate the desktop entry, the metainfo
# and the units. clang with its runtime libraries (libFuzzer, the sanitizers) builds the fuzz targets. curl is the
# parallel fetch bench_collect compares a collection with. zlib: the test pictures are built with its CRC.
packages=(
    build-essential cmake ninja-build ccache pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-httpserver-dev qt6-websockets-dev libgl-dev
    libbenchmark-dev libcpp-httplib-dev zlib1g-dev curl
    clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core imagemagick xdotool xdg-utils chromium
    librsvg2-bin dpkg-dev groff-base man-db desktop-file-utils appstream systemd
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
