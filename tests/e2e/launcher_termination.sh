#!/usr/bin/env bash
# A termination request (SIGTERM) ends the built Launcher at every stage of a run: a start-up
# failure box, the launcher window, a game-window lookup that never answers, a set-up failure
# box, and the close question. Each time the program must end with exit code 0 within a second,
# show no further message box, leave no window and start no new copy of itself. Without its
# logging category the program never writes the hand-over line (it carries the session).
# usage: launcher_termination.sh LAUNCHER DEMO_SITE DEMO_PACKAGE
set -euo pipefail
launcher=$1 site_bin=$2 package_bin=$3

# Chromium refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/deps.sh installs it)"; exit 1; }

work=$(mktemp -d)
site_pid="" failing_pid="" silent_pid="" launcher_pid="" xvfb_pid=""
cleanup() {
  for pid in $launcher_pid $site_pid $failing_pid $silent_pid $xvfb_pid; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
# A display of its own: the checks below count every visible window on it, and tests running
# beside this one show theirs on a shared display.
. "$(dirname "$0")/../private_display.sh"
start_private_display "$work"
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
# A private channel for outside commands: other runs of the program on this machine are not ours.
export LAUNCHER_COMMAND_CHANNEL=launcher-termination-$$

# Starts a demo site with extra options; sets <name>_pid and <name>_url (its base address). Not
# run in a subshell, so that the clean-up sees the process.
start_site() {
  local name=$1
  shift
  "$site_bin" --port 0 "$@" >"$work/$name.out" 2>"$work/$name.err" &
  local pid=$!
  eval "${name}_pid=$pid"
  for _ in $(seq 1 100); do
    local port
    port=$(awk '$1 == "LISTENING" { print $2; exit }' "$work/$name.out" 2>/dev/null || true)
    if [ -n "$port" ]; then eval "${name}_url=http://127.0.0.1:$port"; return 0; fi
    kill -0 "$pid" 2>/dev/null || { echo "demo site $name ended early" >&2; return 1; }
    sleep 0.1
  done
  echo "demo site $name did not report its port" >&2
  return 1
}

start_site site --log "$work/site.log"
start_site failing --api-status 500
base=$site_url failing=$failing_url
# An API that takes connections and never answers: the game window's lookup stays outstanding.
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
print(s.getsockname()[1], flush=True)
held = []
while True:
    c, _ = s.accept(); held.append(c)
    open(sys.argv[1], "a").write("connected\n")
' "$work/silent.connections" >"$work/silent.out" &
silent_pid=$!
for _ in $(seq 1 100); do [ -s "$work/silent.out" ] && break; sleep 0.1; done
silent="http://127.0.0.1:$(head -1 "$work/silent.out")"

# Runs the program in a fresh folder holding `package`; the rest are its arguments.
run_dir=""
start_program() {
  local package=$1
  shift
  run_dir=$(mktemp -d "$work/run.XXXX")
  cp "$package" "$run_dir/config.zip"
  # A copy of the program per run: a restarted copy would show up as this file's process.
  cp "$launcher" "$run_dir/Launcher"
  (cd "$run_dir" && exec ./Launcher "$@" >"$run_dir/out" 2>"$run_dir/err") &
  launcher_pid=$!
}
# Waits up to 90 s for a command to succeed while the program runs.
wait_for() {
  for _ in $(seq 1 900); do
    if "$@"; then return 0; fi
    kill -0 "$launcher_pid" 2>/dev/null || { echo "the program ended early"; tail -20 "$run_dir/err"; return 1; }
    sleep 0.1
  done
  echo "timed out waiting for: $*"
  return 1
}
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
window_shown() { [ "$(visible_windows "$1")" -ge "${2:-1}" ]; }
copies_of() {
  local count=0 pid
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/exe" 2>/dev/null)" = "$1" ] && count=$((count + 1))
  done
  echo "$count"
}

# Sends SIGTERM and checks how the program ends.
terminate() {
  local stage=$1
  local boxes_before
  boxes_before=$(grep -c 'message box' "$run_dir/err" || true)
  local start end
  start=$(date +%s%N)
  kill -TERM "$launcher_pid"
  set +e
  wait "$launcher_pid"
  local rc=$?
  set -e
  end=$(date +%s%N)
  launcher_pid=""
  local ms=$(((end - start) / 1000000))
  echo "$stage: ended with $rc after $ms ms"
  [ "$rc" -eq 0 ] || { echo "$stage: exit code $rc"; tail -20 "$run_dir/err"; exit 1; }
  # Within a second; the margin covers this script's own scheduling on a busy machine.
  [ "$ms" -le 1500 ] || { echo "$stage: took $ms ms"; exit 1; }
  local boxes_after
  boxes_after=$(grep -c 'message box' "$run_dir/err" || true)
  [ "$boxes_after" -eq "$boxes_before" ] || { echo "$stage: a message box came after the request"; exit 1; }
  [ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" -eq 0 ] ||
    { echo "$stage: a window is left"; exit 1; }
  [ "$(copies_of "$run_dir/Launcher")" -eq 0 ] || { echo "$stage: a new copy was started"; exit 1; }
  if grep -q 'game address' "$run_dir/out" "$run_dir/err"; then
    echo "$stage: the hand-over line was written without its logging category"
    exit 1
  fi
}
export QT_LOGGING_RULES="launcher.app.debug=true"

# 1. A start-up failure box: the launcher artwork is damaged.
"$package_bin" --site "$base" --out "$work/damaged.zip" --set macCountApiUrl= --omit config/main1.png
python3 -c '
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "a") as z: z.writestr("config/main1.png", b"\x89PNG\r\n\x1a\n damaged")
' "$work/damaged.zip"
start_program "$work/damaged.zip"
wait_for window_shown "启动失败" || exit 1
terminate "start-up failure box"

# 2. The launcher window with its login page.
"$package_bin" --site "$base" --out "$work/normal.zip" --set macCountApiUrl= --set firstUrl=
start_program "$work/normal.zip" "$base/login"
wait_for grep -q '"path":"/login"' "$work/site.log" || exit 1
wait_for window_shown "龙域传说" || exit 1
terminate "launcher window"

# 3. The game window's lookup that never answers (the address goes straight to the game).
"$package_bin" --site "$base" --out "$work/silent.zip" --set macCountApiUrl= \
  --set "urlplatform=$silent/api/" --set "firstUrl=$base/game/enter?serverid=12&skey=1012&uid=9"
start_program "$work/silent.zip"
wait_for test -s "$work/silent.connections" || exit 1
terminate "outstanding lookup"

# 4. A set-up failure box: the API answers with a failure status, one box per lookup.
"$package_bin" --site "$failing" --out "$work/failing.zip" --set macCountApiUrl= \
  --set "firstUrl=$failing/game/enter?serverid=12&skey=1012&uid=9"
start_program "$work/failing.zip"
wait_for window_shown "龙域传说" || exit 1
terminate "set-up failure box"

# 5. The close question of the running game window.
"$package_bin" --site "$base" --out "$work/game.zip" --set macCountApiUrl= \
  --set "firstUrl=$base/game/enter?serverid=12&skey=1012&uid=9"
from=$(wc -l <"$work/site.log")
start_program "$work/game.zip"
game_page_loaded() { tail -n +$((from + 1)) "$work/site.log" | grep -q '"path":"/play/game"'; }
wait_for game_page_loaded || exit 1
wait_for window_shown "龙域传说" || exit 1
(cd "$run_dir" && ./Launcher --command 1526) || { echo "the close command was not taken"; exit 1; }
wait_for window_shown "龙域传说" 2 || exit 1
terminate "close question"
echo "termination ok"
