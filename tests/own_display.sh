#!/usr/bin/env bash
# Runs a test program on an X display of its own, so that global keys, the pointer and a
# compositing manager are the test's alone, whatever runs beside it.
set -euo pipefail
. "$(dirname "$0")/private_display.sh"
dir=$(mktemp -d)
trap 'stop_private_display; rm -rf "$dir"' EXIT
start_private_display "$dir"
"$@"
