#!/usr/bin/env bash
# Times whole runs: the program from process start until its launcher hands on the game address
# the login page navigates to by itself, against a bare QWebEngineView doing the same navigation.
# Usage: bench/startup.sh [build dir] [runs]. Needs a display (or runs itself under xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
RUNS=${2:-7}
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$BUILD" "$RUNS"; fi
. scripts/webengine-env.sh
WORK=$(mktemp -d)
trap 'kill $SITE_PID 2>/dev/null; rm -rf "$WORK"' EXIT
"$BUILD/demo/demo_site" --port 0 >"$WORK/site.out" 2>/dev/null &
SITE_PID=$!
for _ in $(seq 50); do grep -q '^LISTENING ' "$WORK/site.out" && break; sleep 0.1; done
PORT=$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$WORK/site.out")
SITE=http://127.0.0.1:$PORT
"$BUILD/demo/demo_package" --site "$SITE" --out "$WORK/config.zip" >/dev/null
START="$SITE/login?delay=0&auto=%2Fgame%2Fenter%3Fserverid%3D3%26skey%3D1003%26uid%3Dbench"

# Runs "$@" until it prints a line starting with $1's marker; prints the milliseconds taken.
time_until() {
  local marker=$1
  shift
  local t0 t1 pid
  t0=$(date +%s%N)
  "$@" >"$WORK/out" 2>/dev/null &
  pid=$!
  until grep -q "^$marker" "$WORK/out"; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  t1=$(date +%s%N)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo $(( (t1 - t0) / 1000000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

program() { (cd "$WORK" && XDG_DATA_HOME="$WORK/data" exec "$BUILD/Launcher" "$START"); }
baseline() { XDG_DATA_HOME="$WORK/data" exec "$BUILD/bench/engine_baseline" "$START" /game/enter; }

echo "runs: $RUNS (first run of each discarded as warm-up)"
time_until "game address:" program >/dev/null
time_until "reached:" baseline >/dev/null
P=$(for _ in $(seq "$RUNS"); do time_until "game address:" program; done | median)
B=$(for _ in $(seq "$RUNS"); do time_until "reached:" baseline; done | median)
echo "bare engine, start to game address: ${B} ms (median)"
echo "Launcher,    start to game address: ${P} ms (median)"
echo "added by the program: $((P - B)) ms"
