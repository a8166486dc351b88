#!/usr/bin/env bash
# Times whole runs from process start to the game page's load event, on both ways into the game
# (firstUrl direct, and the launcher handing over the address its login page goes to), with the
# operator's API answering at once and after 300 ms; then the PSS of the whole process tree one
# second after the load event. The engine alone (bench/engine_baseline: a persistent profile, the
# game page in a view the size of the work area, the chat page in a second page) does the same
# job for comparison. On the launcher path it shows the login page in a view of its own and hands
# the game address to a new view, as the program does; the engine keeping one view that simply
# goes on to the game page is measured too and shown on a row of its own ("in place").
# Usage: bench/startup.sh [build dir] [runs] [API answer times in ms, e.g. "0 300"; -1 is an API
# that accepts and never answers].
# Needs a display (or runs itself under xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
RUNS=${2:-7}
DELAYS=${3:-0 300}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" "$BUILD" "$RUNS" "$DELAYS"
fi
. scripts/webengine-env.sh
WORK=$(mktemp -d)
SITE_PID=
cleanup() {
  [ -n "$SITE_PID" ] && kill "$SITE_PID" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# The process and all its descendants.
tree() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" 2>/dev/null); do tree "$child"; done
}
# The tree's proportional set sizes in kB: the whole tree, its first process (the browser
# process, which also draws the windows) and the others (zygotes, renderers), then how many
# processes the others are.
pss_kb() {
  local total=0 first= others=0 count=0 pid kb
  for pid in $(tree "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null || true)
    total=$((total + ${kb:-0}))
    if [ -z "$first" ]; then
      first=${kb:-0}
    elif [ -n "$kb" ]; then
      others=$((others + kb))
      count=$((count + 1))
    fi
  done
  echo "$total $first $others $count"
}

# Runs "$@" in the background until its output holds a line with $1; prints the milliseconds
# from start to that line and the tree's PSS (as pss_kb) a second later, then ends the run.
measure() {
  local marker=$1
  shift
  local t0 t1 pid pss
  t0=$(date +%s%N)
  "$@" >"$WORK/out" 2>&1 &
  pid=$!
  until grep -q "$marker" "$WORK/out"; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "run ended before its game page loaded:" >&2
      tail -5 "$WORK/out" >&2
      exit 1
    fi
    sleep 0.005
  done
  t1=$(date +%s%N)
  sleep 1
  pss=$(pss_kb "$pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # The ended run's held API requests must not use up the site's workers.
  if [ "$API_DELAY" = -1 ]; then
    exec 3<>"/dev/tcp/127.0.0.1/$PORT"
    printf 'GET /control/drop-held-api HTTP/1.0\r\n\r\n' >&3
    cat <&3 >/dev/null
    exec 3<&-
  fi
  echo "$(((t1 - t0) / 1000000)) $pss"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

start_site() {
  [ -n "$SITE_PID" ] && { kill "$SITE_PID"; wait "$SITE_PID" 2>/dev/null || true; }
  API_DELAY=$1
  "$BUILD/demo/demo_site" --port 0 --api-delay "$1" >"$WORK/site.out" 2>/dev/null &
  SITE_PID=$!
  for _ in $(seq 100); do grep -q '^LISTENING ' "$WORK/site.out" && break; sleep 0.05; done
  PORT=$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$WORK/site.out")
  SITE=http://127.0.0.1:$PORT
}

GAME_QUERY="serverid=12&skey=1012&uid=bench"
# One program folder per path, each with its package; the data folders persist across runs.
prepare() {
  mkdir -p "$WORK/direct" "$WORK/launcher"
  "$BUILD/demo/demo_package" --site "$SITE" --out "$WORK/direct/config.zip" \
    --set "firstUrl=$SITE/game/enter?$GAME_QUERY" --set macCountApiUrl= >/dev/null
  "$BUILD/demo/demo_package" --site "$SITE" --out "$WORK/launcher/config.zip" \
    --set macCountApiUrl= >/dev/null
  LOGIN="$SITE/login?delay=0&auto=%2Fgame%2Fenter%3Fserverid%3D12%26skey%3D1012%26uid%3Dbench"
  CHAT="$SITE/gm/chat?skey=s1012"
}
program_direct() {
  cd "$WORK/direct" && XDG_DATA_HOME="$WORK/data" QT_LOGGING_RULES="launcher.game.debug=true" \
    exec "$BUILD/Launcher"
}
program_launcher() {
  cd "$WORK/launcher" && XDG_DATA_HOME="$WORK/data" QT_LOGGING_RULES="launcher.game.debug=true" \
    exec "$BUILD/Launcher" "$LOGIN"
}
engine_direct() {
  XDG_DATA_HOME="$WORK/engine" exec "$BUILD/bench/engine_baseline" "$SITE/game/enter?$GAME_QUERY" \
    /play/game "$CHAT"
}
engine_launcher() {
  XDG_DATA_HOME="$WORK/engine" exec "$BUILD/bench/engine_baseline" --hand-over /game/enter \
    "$LOGIN" /play/game "$CHAT"
}
engine_in_place() {
  XDG_DATA_HOME="$WORK/engine" exec "$BUILD/bench/engine_baseline" "$LOGIN" /play/game "$CHAT"
}

# Medians of each of measure's figures over $RUNS runs of "$@" (after one warm-up run).
series() {
  local marker=$1 field medians=
  shift
  measure "$marker" "$@" >/dev/null
  : >"$WORK/series"
  for _ in $(seq "$RUNS"); do measure "$marker" "$@" >>"$WORK/series"; done
  for field in 1 2 3 4 5; do medians="$medians $(cut -d' ' -f$field "$WORK/series" | median)"; done
  echo "$medians"
}
api_label() { if [ "$1" = -1 ]; then echo stalled; else echo "$1 ms"; fi; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "runs: $RUNS per figure (after one warm-up run each); medians"
printf '%-9s %-9s %10s %10s %7s %11s %11s %7s\n' api path "engine ms" "program ms" ratio \
  "engine PSS" "program PSS" ratio
: >"$WORK/detail"
row() {
  printf '%-9s %-9s %10s %10s %7s %8s MB %8s MB %7s\n' "$1" "$2" "$3" "$4" "$(ratio "$4" "$3")" \
    "$(($5 / 1024))" "$(($6 / 1024))" "$(ratio "$6" "$5")"
}
for delay in $DELAYS; do
  api=$(api_label "$delay")
  start_site "$delay"
  prepare
  for path in direct launcher; do
    read -r et ek eb eo en < <(series "loaded:" "engine_$path")
    read -r pt pk pb po pn < <(series "game page complete:" "program_$path")
    row "$api" "$path" "$et" "$pt" "$ek" "$pk"
    printf '%-9s %-9s %8s MB %8s MB %3s %8s MB %8s MB %3s\n' "$api" "$path" \
      "$((eb / 1024))" "$((eo / 1024))" "$en" "$((pb / 1024))" "$((po / 1024))" "$pn" >>"$WORK/detail"
  done
  read -r et ek eb eo en < <(series "loaded:" engine_in_place)
  row "$api" "in place" "$et" "$pt" "$ek" "$pk"
done
echo
echo "PSS by process (medians): the browser process, and the other processes and their count"
printf '%-9s %-9s %11s %11s %3s %11s %11s %3s\n' api path "engine" "others" "" "program" \
  "others" ""
cat "$WORK/detail"
