#!/usr/bin/env bash
# Builds the core and its unit tests under ThreadSanitizer (build-tsan/, no UI) and runs the
# unit tier and the concurrency stress tests (label tsan) there. Any sanitizer report fails.
# usage: scripts/tsan.sh [ctest arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_TSAN_BUILD:-$here/build-tsan}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
                                          -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_TSAN=ON \
  -DLAUNCHER_BUILD_UI=OFF -DLAUNCHER_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j2
export TSAN_OPTIONS=${TSAN_OPTIONS:-"halt_on_error=1 second_deadlock_stack=1 suppressions=$here/tests/tsan/tsan.supp"}
exec ctest --test-dir "$build" --output-on-failure -j2 -L 'unit|tsan' "$@"
