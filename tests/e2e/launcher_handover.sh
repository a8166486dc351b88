#!/usr/bin/env bash
# The built Launcher against the demo site: the login page (given as the first argument) goes to
# a game address by itself; the program must hand that address on without the launcher browser
# loading it, the game window must load the game page and ask the platform API for the player's
# and the server's names, and a termination request must end the program with exit code 0.
# usage: launcher_handover.sh LAUNCHER DEMO_SITE DEMO_PACKAGE SCENARIO
#   SCENARIO: direct (login -> game address) or qq (login -> QQ look-alike -> game address), or
#   stalled (as direct, with an API that never answers: the game page loads all the same, and the
#   termination request ends the program at once, not after the lookups' time-outs)
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/../demo_site.sh"
launcher=$1 site_bin=$2 package_bin=$3 scenario=$4

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" "$@"
fi
# Chromium refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

work=$(mktemp -d)
site_pid=""
cleanup() {
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null || true; wait "$site_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config

site_args=()
[ "$scenario" = stalled ] && site_args=(--api-delay -1)
start_demo_site "$work" "$site_bin" "${site_args[@]}"

mkdir -p "$work/run"
# No adapter report: it would write its marker beside the program.
"$package_bin" --site "$base" --out "$work/run/config.zip" --set macCountApiUrl= --set firstUrl=

case "$scenario" in
  direct|stalled)
    game="$base/game/enter?serverid=12&skey=1012&uid=e2e"
    start="$base/login?auto=$(printf '%s' "$game" | sed 's/%/%25/g; s/:/%3A/g; s#/#%2F#g; s/?/%3F/g; s/=/%3D/g; s/&/%26/g')"
    ;;
  qq)
    game="$base/game/enter"
    start="$base/login?autoqq=1"
    ;;
  *) echo "unknown scenario $scenario"; exit 2 ;;
esac

cd "$work/run"
# The hand-over line carries the player's session: it is written only under its logging category.
QT_LOGGING_RULES="launcher.handover.debug=true" \
  "$launcher" "$start" "ignored-second-argument" >"$work/out" 2>"$work/err" &
launcher_pid=$!
finish() {
  echo "--- stdout"; cat "$work/out"; echo "--- stderr (tail)"; tail -20 "$work/err"
  kill -KILL "$launcher_pid" 2>/dev/null || true
  exit 1
}
# Waits up to 90 s for a command to succeed while the program runs.
wait_for() {
  for _ in $(seq 1 900); do
    if "$@"; then return 0; fi
    kill -0 "$launcher_pid" 2>/dev/null || { echo "the program ended early"; return 1; }
    sleep 0.1
  done
  echo "timed out waiting for: $*"
  return 1
}
game_page_loaded() { grep -q '"path":"/play/game"' "$work/site.log"; }

wait_for grep -q 'game address: ' "$work/err" || finish
line=$(grep -o 'game address: .*' "$work/err" | head -1 || true)
address=${line#game address: }
case "$address" in
  "$game"*) ;;
  *) echo "expected a game address starting with $game, got '$address'"; finish ;;
esac
case "$address" in
  *qq.com*) echo "a QQ login page was taken: $address"; finish ;;
esac
wait_for game_page_loaded || finish
api_answered() { grep -q '"path":"/api/"' "$work/site.log"; }
if [ "$scenario" = stalled ]; then
  # The site logs a request once it has answered it.
  if api_answered; then echo "the stalled API answered"; finish; fi
else
  wait_for api_answered || finish
  if [ "$scenario" = direct ]; then wait_for grep -q '"path":"/api/1012"' "$work/site.log" || finish; fi
fi

kill -TERM "$launcher_pid"
# Well below the lookups' 30 s time-out.
for _ in $(seq 1 150); do
  kill -0 "$launcher_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$launcher_pid" 2>/dev/null; then echo "the program did not end within 15 s"; finish; fi
set +e
wait "$launcher_pid"
rc=$?
set -e
echo "exit code: $rc"
# Nothing of the session reaches stdout.
if grep -q 'game address' "$work/out"; then echo "the hand-over line reached stdout"; exit 1; fi
if [ "$rc" -ne 0 ]; then
  tail -20 "$work/err"
  exit 1
fi
grep -q '"path":"/login"' "$work/site.log" || { echo "the login page was never loaded"; exit 1; }
# The launcher cancels the game address; only the game window loads it, once.
enters=$(grep -c '"path":"/game/enter"' "$work/site.log" || true)
if [ "$enters" -ne 1 ]; then
  echo "the game address was loaded $enters times; the launcher browser must not load it"
  exit 1
fi
if [ "$scenario" = stalled ]; then echo "handover ok with a stalled API: $address"; exit 0; fi
grep '"path":"/api/"' "$work/site.log" | grep -q '"type":"1"' ||
  { echo "the player name was not asked for"; exit 1; }
if [ "$scenario" = direct ]; then
  grep -q '"path":"/api/1012"' "$work/site.log" || { echo "the server name was not asked for"; exit 1; }
  grep '"path":"/api/"' "$work/site.log" | grep -q '"skey":"s1012"' ||
    { echo "the player name was not asked for with the game's server key"; exit 1; }
fi
echo "handover ok: $address"
