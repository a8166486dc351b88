#!/usr/bin/env bash
# The built Launcher in a folder without config.zip ends at once, silently, with exit code 0.
# usage: launcher_no_package.sh LAUNCHER
set -euo pipefail
launcher=$1
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" "$@"
fi
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
set +e
timeout 30 "$launcher" >"$work/out" 2>"$work/err"
rc=$?
set -e
echo "exit code: $rc"
[ "$rc" -eq 0 ] || { cat "$work/err"; exit 1; }
if grep -q 'game address' "$work/out"; then echo "unexpected hand-over"; exit 1; fi
echo "silent end ok"
