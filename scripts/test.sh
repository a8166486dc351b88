#!/usr/bin/env bash
# Builds everything and runs every test tier (unit, gui, desktop, e2e). GUI tiers run under Xvfb
# when there is no display; the desktop tier starts a display of its own with a window manager
# and a tray.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2
. scripts/webengine-env.sh
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
    ctest --test-dir "$BUILD" --output-on-failure -j2 "$@"
fi
exec ctest --test-dir "$BUILD" --output-on-failure -j2 "$@"
