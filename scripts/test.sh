#!/usr/bin/env bash
# Builds everything and runs every test tier (unit, gui, desktop, e2e, wayland), then the core and its
# unit tests once more under ThreadSanitizer with the concurrency stress tests (scripts/tsan.sh;
# LAUNCHER_TSAN=0 leaves that out). GUI tiers run under Xvfb when there is no display; the
# desktop tier starts a display of its own with a window manager and a tray, the wayland tier a
# headless Wayland compositor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2
. scripts/webengine-env.sh
status=0
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
    ctest --test-dir "$BUILD" --output-on-failure -j2 "$@" || status=$?
else
  ctest --test-dir "$BUILD" --output-on-failure -j2 "$@" || status=$?
fi
if [ "${LAUNCHER_TSAN:-1}" != 0 ]; then
  scripts/tsan.sh || status=1
fi
exit $status
