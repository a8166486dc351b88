#!/usr/bin/env bash
# The built Launcher shows the operator's dark, text-heavy login page on every run and the page
# takes the player's click. Each run starts the program anew against the demo site, looks at the
# screen until the page's own pixels (the server list's green lamps and the blue QQ buttons, which
# the launcher artwork never has) show, clicks a server there and expects the hand-over.
# usage: launcher_login_visible.sh LAUNCHER DEMO_SITE DEMO_PACKAGE RUNS plain|composite
set -euo pipefail
launcher=$(realpath "$1") site_bin=$(realpath "$2") package_bin=$(realpath "$3") runs=$4 mode=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../private_display.sh"
. "$here/../demo_site.sh"

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
work=$(mktemp -d)
site_pid="" launcher_pid="" compositor_pid=""
cleanup() {
  for pid in $launcher_pid $compositor_pid $site_pid; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  stop_private_display
  rm -rf "$work"
}
trap cleanup EXIT
start_private_display "$work"
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
if [ "$mode" = composite ]; then
  xcompmgr -c >"$work/compositor.log" 2>&1 &
  compositor_pid=$!
fi

start_demo_site "$work" "$site_bin"
mkdir -p "$work/run"
"$package_bin" --site "$base" --out "$work/run/config.zip" --set macCountApiUrl= --set firstUrl=
cd "$work/run"

# Pixels of a colour (within a small tolerance) on the screen: "COUNT X Y", X Y the middle of
# the area they cover.
pixels_of() {
  import -window root "$work/shot.png" 2>/dev/null || { echo "0 0 0"; return; }
  convert "$work/shot.png" -fuzz 6% -fill black +opaque "$1" -fill white -opaque "$1" \
    -colorspace gray "$work/mask.png" 2>/dev/null || { echo "0 0 0"; return; }
  local count
  count=$(convert "$work/mask.png" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null || echo 0)
  if [ "${count:-0}" -eq 0 ]; then echo "0 0 0"; return; fi
  # The centre of the first area of that colour (a lamp, a button).
  local centre
  centre=$(convert "$work/mask.png" -define connected-components:verbose=true \
             -connected-components 8 null: 2>/dev/null |
           awk '$NF ~ /gray\(255\)|#FFFFFF|white/ { split($3, c, ","); printf "%d %d", c[1], c[2]; exit }')
  echo "$count ${centre:-0 0}"
}

shown=0
for run in $(seq 1 "$runs"); do
  : >"$work/err"
  QT_LOGGING_RULES="launcher.handover.debug=true" "$launcher" "$base/login" >"$work/out" 2>"$work/err" &
  launcher_pid=$!
  seen=""
  for _ in $(seq 1 150); do
    kill -0 "$launcher_pid" 2>/dev/null || break
    read -r lamps lx ly <<<"$(pixels_of '#5fe07a')"
    read -r qq _ _ <<<"$(pixels_of '#1f5fa8')"
    if [ "${lamps:-0}" -gt 40 ] && [ "${qq:-0}" -gt 200 ]; then seen="$lx $ly"; break; fi
    sleep 0.2
  done
  if [ -z "$seen" ]; then
    mkdir -p "${LAUNCHER_TEST_ARTIFACTS:-/tmp}"
    shot="${LAUNCHER_TEST_ARTIFACTS:-/tmp}/launcher-login-$mode-run$run.png"
    cp "$work/shot.png" "$shot" 2>/dev/null || true
    echo "run $run ($mode): the login page never showed (screenshot $shot)"
    tail -5 "$work/err"
    exit 1
  fi
  # A click on a server lamp reaches the page: the server's game address is handed over.
  read -r x y <<<"$seen"
  taken=""
  for _ in $(seq 1 100); do
    xdotool mousemove "$x" "$y" click 1 2>/dev/null || true
    for _ in $(seq 1 10); do
      if grep -q 'game address: ' "$work/err"; then taken=1; break; fi
      sleep 0.1
    done
    [ -n "$taken" ] && break
  done
  if [ -z "$taken" ]; then
    echo "run $run ($mode): a click on the login page at $x,$y did not reach it"
    tail -5 "$work/err"
    exit 1
  fi
  kill -TERM "$launcher_pid" 2>/dev/null || true
  wait "$launcher_pid" 2>/dev/null || true
  launcher_pid=""
  shown=$((shown + 1))
done
echo "the login page showed and took a click on $shown of $runs runs ($mode)"
