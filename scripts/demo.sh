#!/usr/bin/env bash
# Builds the project, starts the demo operator site on 127.0.0.1, writes the demo package for it
# into run/ and starts the program there. With a display the windows open and the script waits
# for the program to end; without one the program runs under Xvfb and screenshots are saved in run/.
# --scale FACTOR runs it on a screen scaled as a desktop scales it (2 for 200 %, 1.25, ...): the
# screen has as many more pixels, and the screenshots are named screenshot-scale<percent>-N.png.
# --wayland runs it as a Wayland client: on the session's compositor when WAYLAND_DISPLAY is set,
# else under a headless sway, with screenshots (grim) in run/.
set -euo pipefail
SCALE=""
WAYLAND=0
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) SCALE=${2:-}; shift $(( $# > 1 ? 2 : 1 )) ;;
    --scale=*) SCALE=${1#--scale=}; shift ;;
    --wayland) WAYLAND=1; shift ;;
    *) echo "usage: scripts/demo.sh [--scale FACTOR] [--wayland]" >&2; exit 2 ;;
  esac
done
if [ -n "$SCALE" ]; then
  [[ $SCALE =~ ^[0-9]+(\.[0-9]+)?$ ]] && awk -v s="$SCALE" 'BEGIN { exit !(s >= 1 && s <= 4) }' ||
    { echo "--scale takes a factor from 1 to 4, e.g. 2 or 1.25" >&2; exit 2; }
  # Qt follows the factor as a desktop sets it, fractional ones unrounded.
  export QT_SCALE_FACTOR=$SCALE QT_SCALE_FACTOR_ROUNDING_POLICY=PassThrough
fi
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
RUN=$ROOT/run

scripts/deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only what the demo runs: the program (when its target exists yet) and the demo tools.
TARGETS=(demo_site demo_package)
if grep -q '^build Launcher:' "$BUILD/build.ninja"; then TARGETS+=(Launcher); fi
cmake --build "$BUILD" -j2 --target "${TARGETS[@]}"
. scripts/webengine-env.sh

SITE_PID="" PROGRAM_PID="" XVFB_PID="" COMPOSITOR_PID="" DESKTOP_PID=""
stop() {
  local pid
  if [ -n "${sway_pid:-}" ]; then
    kill "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
    stop_wayland_compositor
    rm -rf "$SWAY_WORK"
  fi
  for pid in "$PROGRAM_PID" "$SITE_PID" "$DESKTOP_PID" "$COMPOSITOR_PID" "$XVFB_PID"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
}
trap stop EXIT
trap 'exit 130' INT TERM

# Polls a condition every 0.2 s for at most $1 seconds.
wait_for() {
  local limit=$(( $1 * 5 )) i=0
  shift
  until "$@"; do
    i=$((i + 1))
    [ "$i" -ge "$limit" ] && return 1
    sleep 0.2
  done
}
shot=0
# Saves the screen as run/PREFIX-N.png with the capture COMMAND (given the file last) and says
# what it shows.
save_shot() {
  local prefix=$1 what=$2
  shift 2
  shot=$((shot + 1))
  "$@" "$RUN/$prefix-$shot.png"
  echo "  run/$prefix-$shot.png: $what"
}
site_logged() { grep -q "\"path\":\"$1\"" "$RUN/site-log.jsonl" 2>/dev/null; }
game_or_gone() { site_logged /play/game || ! kill -0 "$PROGRAM_PID" 2>/dev/null; }
# After the launcher's screenshot: the game window on server 12 and, once the GM has written, its
# chat button; each taken by "$1 caption".
game_screenshots() {
  local take=$1
  if wait_for 40 game_or_gone && site_logged /play/game; then
    wait_for 20 site_logged /gm/chat || true
    sleep 3
    "$take" "game window on server 12"
    sleep 5
    "$take" "game window, GM chat button after the GM's new message"
  elif kill -0 "$PROGRAM_PID" 2>/dev/null; then
    "$take" "the program did not reach the game page"
  else
    echo "  the program ended before showing a game page (see run/program.log)"
  fi
}

mkdir -p "$RUN"
SHOT_NAME=screenshot
SCREEN_W=1600 SCREEN_H=1000
if [ -n "$SCALE" ]; then
  SHOT_NAME=screenshot-scale$(awk -v s="$SCALE" 'BEGIN { printf "%d", s * 100 + 0.5 }')
  SCREEN_W=$(awk -v s="$SCALE" 'BEGIN { printf "%d", 1600 * s + 0.5 }')
  SCREEN_H=$(awk -v s="$SCALE" 'BEGIN { printf "%d", 1000 * s + 0.5 }')
fi
rm -f "$RUN"/site-log.jsonl "$RUN"/site.out "$RUN/$SHOT_NAME"-*.png

# The GM greets with a new message some seconds after the chat page loads, so the chat button blinks.
"$BUILD/demo/demo_site" --port 0 --log "$RUN/site-log.jsonl" --gm-newmsg-after 6000 \
  >"$RUN/site.out" 2>"$RUN/site.err" &
SITE_PID=$!
wait_for 15 grep -q '^LISTENING ' "$RUN/site.out" || { echo "demo site did not start:"; cat "$RUN/site.err"; exit 1; }
PORT=$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$RUN/site.out" | head -n1)
SITE=http://127.0.0.1:$PORT
echo "Demo operator site: $SITE/login (request log: run/site-log.jsonl)"

"$BUILD/demo/demo_package" --site "$SITE" --out "$RUN/config.zip" >/dev/null
echo "Demo package: run/config.zip"

PROGRAM=$BUILD/Launcher
if [ ! -x "$PROGRAM" ]; then
  echo "The program ($PROGRAM) has not been built yet. The demo site keeps running at $SITE/login;"
  echo "press Ctrl+C to stop it."
  wait "$SITE_PID"
  exit 0
fi

# The start address shows the login page for a few seconds, then enters server 12 by itself.
ENTER="%2Fgame%2Fenter%3Fserverid%3D12%26skey%3D1012%26uid%3Ddemo"

if [ "$WAYLAND" = 1 ]; then
  if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the program in run/ as a Wayland client (close its windows to end the demo)."
    (cd "$RUN" && QT_QPA_PLATFORM=wayland exec "$PROGRAM") &
    PROGRAM_PID=$!
    wait "$PROGRAM_PID" || true
    PROGRAM_PID=""
    exit 0
  fi
  . "$ROOT/tests/wayland/wayland_compositor.sh"
  SWAY_WORK=$(mktemp -d)
  chmod 755 "$SWAY_WORK"
  start_wayland_compositor "$SWAY_WORK" 1600 1000
  rm -f "$RUN"/screenshot-wayland-*.png
  (cd "$RUN" && QT_QPA_PLATFORM=wayland exec "$PROGRAM" "$SITE/login?delay=5000&auto=$ENTER") \
    >"$RUN/program.log" 2>&1 &
  PROGRAM_PID=$!
  wayland_shot() { save_shot screenshot-wayland "$1" grim; }
  echo "Program running under a headless sway ($WAYLAND_DISPLAY); screenshots:"
  wait_for 30 site_logged /login && sleep 3
  wayland_shot "launcher with the login and server list"
  game_screenshots wayland_shot
  echo "Screenshots are in $RUN. Ending the program, the compositor and the site."
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the program in run/ (close its windows to end the demo)."
  (cd "$RUN" && exec "$PROGRAM") &
  PROGRAM_PID=$!
  wait "$PROGRAM_PID" || true
  PROGRAM_PID=""
  exit 0
fi

# No display: a private Xvfb on a free display number.
for n in $(seq 99 160); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then DISPLAY_NUMBER=$n; break; fi
done
[ -n "${DISPLAY_NUMBER:-}" ] || { echo "no free X display number"; exit 1; }
Xvfb ":$DISPLAY_NUMBER" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUMBER"
wait_for 15 xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start"; exit 1; }
# A desktop picture and a compositing manager, so the screenshots show the launcher's translucency
# (its shadow and rounded edges) the way a player's desktop does.
if command -v xcompmgr >/dev/null; then
  xcompmgr >/dev/null 2>&1 &
  COMPOSITOR_PID=$!
fi
if convert -size "${SCREEN_W}x${SCREEN_H}" gradient:'#3c6e91'-'#1d2b44' "$RUN/desktop.png" 2>/dev/null; then
  display -geometry +0+0 -borderwidth 0 -title desktop "$RUN/desktop.png" >/dev/null 2>&1 &
  DESKTOP_PID=$!
  timeout 10 xdotool search --sync --onlyvisible --name desktop >/dev/null 2>&1 || true
fi

(cd "$RUN" && exec "$PROGRAM" "$SITE/login?delay=5000&auto=$ENTER") >"$RUN/program.log" 2>&1 &
PROGRAM_PID=$!

screenshot() { save_shot "$SHOT_NAME" "$1" import -window root; }
echo "Program running under Xvfb on $DISPLAY; screenshots:"
if timeout 60 xdotool search --sync --onlyvisible --pid "$PROGRAM_PID" >/dev/null 2>&1; then
  # The login page is on the screen once its server lamps (a green the artwork never has) show.
  login_drawn() {
    import -window root "$RUN/.probe.png" 2>/dev/null &&
      [ "$(convert "$RUN/.probe.png" -fuzz 6% -fill black +opaque '#5fe07a' -fill white -opaque '#5fe07a' \
             -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null || echo 0)" -gt 40 ]
  }
  wait_for 30 site_logged /login && { wait_for 4 login_drawn || true; }
  rm -f "$RUN/.probe.png"
  screenshot "launcher with the login and server list"
  game_screenshots screenshot
else
  echo "  the program's window did not appear within 60 s (see run/program.log)"
  screenshot "the screen without the program's window"
fi
echo "Screenshots are in $RUN. Ending the program and the site."
