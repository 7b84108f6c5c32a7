#!/usr/bin/env bash
# Runs every test headless. Window tests use Qt's offscreen platform; nothing needs a display.
set -euo pipefail
preset=${1:-dev}
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset"
