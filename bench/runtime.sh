#!/usr/bin/env bash
# The long run of the program against the engine alone (bench/engine_baseline), on a desktop of
# its own (a private Xvfb, openbox and a trayer tray, as the desktop tests have):
#  1. hidden: a page with a 1 s heartbeat and a canvas animation, hidden in the tray by the
#     program (Launcher --command 1530) and hidden by the engine alone; CPU of the whole process
#     tree and the heartbeat's rate while hidden. The engine alone runs with the program's
#     engine switches (same page work) and with its defaults (throttled), for reference.
#  2. frames: a Phaser scene (sprites and text, canvas renderer) in the game window with its
#     frame, title band and the GM chat window open, and in the engine alone's view of the same
#     size; frames per second, runs alternating.
#  3. soak: rounds of a long session (game-page reloads, chat window open/close, cache purges
#     through Launcher --command 1527 answered OK, the game page's renderer killed, pop-ups
#     opened by clicks, page bridge calls, boss key); the purges go between the other steps, so
#     the outside commands' answer times show the program answering throughout;
#     PSS, open descriptors and X resources of the process tree after each round, and their
#     growth from the end of the first round to the end of the last.
# Usage: bench/runtime.sh [build dir] [parts, default "hidden frames soak"]
# Environment: HIDDEN_SECONDS (60), FRAME_RUNS (3), FRAME_WARM (25 s), FRAME_SPAN (15 s),
# FRAME_CHAT ("1": the chat window open; "0 1" both ways), SPRITES (400), SOAK_ROUNDS (10), BRIDGE_RATE (500),
# SOAK_SCALE (1 = full counts: 200 reloads, 100 chat cycles, 50 purges, 20 crashes, 100 pop-ups,
# 500 bridge calls a second for 60 s, 200 boss key cycles; 0.25 a quarter of each).
# Phaser is fetched with npm into .cache/bench-npm/ (not committed) on the first run.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
PARTS=${2:-hidden frames soak}
if [ -z "${RUNTIME_BENCH_DESKTOP:-}" ]; then
  export RUNTIME_BENCH_DESKTOP=1
  exec tests/desktop/desktop_session.sh "$0" "$BUILD" "$PARTS"
fi
[ -n "${BENCH_TRACE:-}" ] && set -x
HIDDEN_SECONDS=${HIDDEN_SECONDS:-60}
FRAME_RUNS=${FRAME_RUNS:-3}
FRAME_WARM=${FRAME_WARM:-25}
FRAME_SPAN=${FRAME_SPAN:-15}
FRAME_CHAT=${FRAME_CHAT:-1}
SPRITES=${SPRITES:-400}
SOAK_ROUNDS=${SOAK_ROUNDS:-10}
SOAK_SCALE=${SOAK_SCALE:-1}
BRIDGE_RATE=${BRIDGE_RATE:-500}
. scripts/webengine-env.sh
BASE_FLAGS=$QTWEBENGINE_CHROMIUM_FLAGS
# What the program adds to the engine's switches (web/EngineSwitches.cpp).
KEEP_FLAGS="--disable-background-timer-throttling --disable-renderer-backgrounding --disable-backgrounding-occluded-windows --disable-features=IntensiveWakeUpThrottling"

NPM_DIR=$ROOT/.cache/bench-npm
if [ ! -f "$NPM_DIR/node_modules/phaser/dist/phaser.min.js" ]; then
  mkdir -p "$NPM_DIR"
  npm install --prefix "$NPM_DIR" --no-audit --no-fund --silent phaser@3.80.1 >/dev/null
fi

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

"$BUILD/demo/demo_site" --port 0 >"$WORK/site.out" 2>/dev/null &
PIDS+=($!)
python3 -u bench/runtime/serve.py "$NPM_DIR/node_modules" "$WORK" >"$WORK/pages.out" 2>"$WORK/pages.err" &
PIDS+=($!)
for _ in $(seq 100); do
  grep -q '^LISTENING ' "$WORK/site.out" && grep -q '^LISTENING ' "$WORK/pages.out" && break
  sleep 0.05
done
SITE=http://127.0.0.1:$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$WORK/site.out")
PAGES=http://127.0.0.1:$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$WORK/pages.out")
CHAT="$SITE/gm/chat?skey=s1012"

# ---------------------------------------------------------------------------------------------
# Helpers

tree() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" 2>/dev/null); do tree "$child"; done
}
# CPU time (clock ticks, user + system) of the tree.
cpu_ticks() {
  local total=0 pid t
  for pid in $(tree "$1"); do
    t=$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || true)
    total=$((total + ${t:-0}))
  done
  echo "$total"
}
pss_kb() {
  local total=0 pid kb
  for pid in $(tree "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null || true)
    total=$((total + ${kb:-0}))
  done
  echo "$total"
}
fd_count() {
  local total=0 pid n
  for pid in $(tree "$1"); do
    n=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l || true)
    total=$((total + ${n:-0}))
  done
  echo "$total"
}
# The X server's resources held for the program's connection: windows and pixmaps.
x_resources() {
  xrestop -b -m 1 2>/dev/null | awk -v pid="$1" '
    /^[0-9]+ - / {take = ($0 ~ ("PID: *" pid " "))}
    take && /^\twindows / {w = $3} take && /^\tpixmaps / {p = $3}
    END {if (w != "") print w, p; else print "? ?"}'
}
# Waits up to $2 s for a report line of the pages' server matching $1 after line $3; prints it.
wait_report() {
  local pattern=$1 limit=$2 after=${3:-0} line
  for _ in $(seq $((limit * 20))); do
    line=$(tail -n +"$((after + 1))" "$WORK/pages.out" | grep -m1 -e "$pattern" || true)
    if [ -n "$line" ]; then echo "$line"; return 0; fi
    sleep 0.05
  done
  echo "no report '$pattern' within $limit s" >&2
  return 1
}
report_lines() { wc -l <"$WORK/pages.out"; }
field() { tr ' &' '\n\n' <<<"$1" | sed -n "s/^$2=//p" | head -1; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }

# A program folder whose package starts the game at $2 (firstUrl).
make_program() {
  local dir=$WORK/$1
  mkdir -p "$dir"
  "$BUILD/demo/demo_package" --site "$SITE" --out "$dir/config.zip" --set "firstUrl=$2" \
    --set macCountApiUrl= >/dev/null
}
# Starts the program in folder $1; sets PROGRAM_PID.
start_program() {
  (cd "$WORK/$1" && QTWEBENGINE_CHROMIUM_FLAGS="$BASE_FLAGS" XDG_DATA_HOME="$WORK/data-$1" \
     LAUNCHER_MESSAGE_LOG="$WORK/messages-$1" LAUNCHER_MESSAGE_ANSWER=ok \
     LAUNCHER_COMMAND_CHANNEL="bench-$1-$$" exec "$BUILD/Launcher" >"$WORK/program-$1.out" 2>&1) &
  PROGRAM_PID=$!
  PIDS+=("$PROGRAM_PID")
}
stop() {
  kill -TERM "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
command_to() { LAUNCHER_COMMAND_CHANNEL="bench-$1-$$" "$BUILD/Launcher" --command "$2"; }
# The program's visible windows: "id width height" each.
visible_windows() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$1" 2>/dev/null); do
    xdotool getwindowgeometry --shell "$id" 2>/dev/null |
      awk -v id="$id" -F= '/^WIDTH/ {w=$2} /^HEIGHT/ {h=$2} END {if (w != "") print id, w, h}' || true
  done
  return 0
}
# The game window: the largest visible one. A search that meets a window going away (a pop-up
# just closed) finds nothing; it is asked again for up to 5 s.
game_window() {
  local win
  for _ in $(seq 50); do
    win=$(visible_windows "$1" | sort -k2,2n -k3,3n | tail -1 | cut -d' ' -f1) || true
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.1
  done
  return 1
}
# The GM chat window (its 434-pixel page in a 4-pixel border, as the demo package has it).
chat_window() { visible_windows "$1" | awk '$2 == 438 {print $1}' | head -1; }
# Clicks the game window's button drawn at x (from the window's right edge when negative), y.
click_game() {
  local win WINDOW X Y WIDTH HEIGHT SCREEN
  win=$(game_window "$1") || return 1
  eval "$(xdotool getwindowgeometry --shell "$win")" || return 1
  xdotool mousemove $((X + ($2 < 0 ? WIDTH + $2 : $2) + 15)) $((Y + $3 + 8)) click 1
}
# The demo package's buttons: GM chat at (-318, 9), reload the game page at (-206, 0).
open_chat() { click_game "$1" -318 9; }
reload_game() { click_game "$1" -206 0; }

# ---------------------------------------------------------------------------------------------
# 1. Hidden

hidden_run() {  # label, then the command's own way of starting: prints "cpu% beats/s"
  local label=$1 pid=$2 hide=$3 start t0 t1 c0 c1 b0 b1 first last
  start=$(report_lines)
  wait_report "kind=loaded&page=hidden" 60 "$start" >/dev/null
  sleep 3
  [ "$hide" = program ] && command_to hidden 1530
  wait_report "kind=visibility&hidden=true" 30 "$start" >/dev/null
  sleep 5
  first=$(report_lines)
  c0=$(cpu_ticks "$pid")
  t0=$(date +%s%N)
  sleep "$HIDDEN_SECONDS"
  c1=$(cpu_ticks "$pid")
  t1=$(date +%s%N)
  # Heartbeat: beats reported during the window (every 5th beat carries the count and time).
  last=$(tail -n +"$((first + 1))" "$WORK/pages.out" | grep "kind=beat" || true)
  b0=$(head -1 <<<"$last")
  b1=$(tail -1 <<<"$last")
  local rate=nan
  if [ -n "$b0" ] && [ "$b0" != "$b1" ]; then
    rate=$(awk -v n0="$(field "$b0" n)" -v n1="$(field "$b1" n)" -v t0="$(field "$b0" t)" \
      -v t1="$(field "$b1" t)" 'BEGIN {printf "%.3f", (n1 - n0) / ((t1 - t0) / 1000)}')
  fi
  awk -v c="$((c1 - c0))" -v hz="$(getconf CLK_TCK)" -v ns="$((t1 - t0))" -v r="$rate" \
    'BEGIN {printf "%.2f %s\n", 100 * c / hz / (ns / 1e9), r}'
}

part_hidden() {
  echo "== hidden: ${HIDDEN_SECONDS} s hidden, CPU of the whole process tree in % of one core"
  make_program hidden "$PAGES/play/game/hidden.html"
  local p e ek
  start_program hidden
  p=$(hidden_run program "$PROGRAM_PID" program)
  stop "$PROGRAM_PID"
  QTWEBENGINE_CHROMIUM_FLAGS="$BASE_FLAGS $KEEP_FLAGS" XDG_DATA_HOME="$WORK/engine-hidden" \
    "$BUILD/bench/engine_baseline" --hide "$PAGES/play/game/hidden.html" hidden.html "$CHAT" \
    >"$WORK/engine-hidden.out" 2>&1 &
  local epid=$!
  PIDS+=("$epid")
  ek=$(hidden_run engine "$epid" engine)
  stop "$epid"
  QTWEBENGINE_CHROMIUM_FLAGS="$BASE_FLAGS" XDG_DATA_HOME="$WORK/engine-hidden-default" \
    "$BUILD/bench/engine_baseline" --hide "$PAGES/play/game/hidden.html" hidden.html "$CHAT" \
    >"$WORK/engine-default.out" 2>&1 &
  epid=$!
  PIDS+=("$epid")
  e=$(hidden_run engine "$epid" engine)
  stop "$epid"
  printf '%-44s %8s %10s\n' "" "CPU %" "beats/s"
  printf '%-44s %8s %10s\n' "program, hidden in the tray" $p
  printf '%-44s %8s %10s\n' "engine alone, same switches, view hidden" $ek
  printf '%-44s %8s %10s\n' "engine alone, default switches, view hidden" $e
  printf 'program - engine (same switches): %s %% of one core\n' \
    "$(awk -v a="${p%% *}" -v b="${ek%% *}" 'BEGIN {printf "%.2f", a - b}')"
}

# ---------------------------------------------------------------------------------------------
# 2. Frames

# The renderers of the tree: the children of the engine's sandboxed zygote (they keep its command
# line; the other zygote starts the utility processes).
is_renderer() {
  local parent
  parent=$(awk '{print $4}' "/proc/$1/stat" 2>/dev/null) || return 1
  grep -qa -- "--type=zygote" "/proc/$parent/cmdline" 2>/dev/null &&
    ! grep -qa -- "--no-zygote-sandbox" "/proc/$parent/cmdline" 2>/dev/null
}
renderers() {
  local k
  for k in $(tree "$1"); do is_renderer "$k" && echo "$k"; done
  return 0
}
# CPU ticks of the tree by process kind: "main renderers other".
cpu_by_kind() {
  local k t main=0 rend=0 other=0
  for k in $(tree "$1"); do
    t=$(awk '{print $14 + $15}' "/proc/$k/stat" 2>/dev/null || true)
    [ -n "$t" ] || continue
    if [ "$k" = "$1" ]; then main=$((main + t))
    elif is_renderer "$k"; then rend=$((rend + t))
    else other=$((other + t)); fi
  done
  echo "$main $rend $other"
}
# One measured span of the scene in a running process $1 whose reports start after line $2:
# prints "fps w h" and the CPU in ms per frame of the main process (the engine's compositing and
# the windows), the renderers and the rest.
frame_span() {
  local pid=$1 start=$2 c0 c1 line fps frames
  wait_report "kind=span" 120 "$start" >/dev/null
  c0=$(cpu_by_kind "$pid")
  line=$(wait_report "kind=fps" 90 "$start")
  c1=$(cpu_by_kind "$pid")
  fps=$(field "$line" fps)
  awk -v fps="$fps" -v span="$FRAME_SPAN" -v hz="$(getconf CLK_TCK)" -v a="$c0" -v b="$c1" \
    -v w="$(field "$line" w)" -v h="$(field "$line" h)" 'BEGIN {
      split(a, x, " "); split(b, y, " "); frames = fps * span
      printf "%s %s %s", fps, w, h
      for (i = 1; i <= 3; i++) printf " %.2f", (frames > 0 ? 1000 * (y[i] - x[i]) / hz / frames : 0)
      printf "\n"}'
}

part_frames() {
  echo "== frames: Phaser $(node -p "require('$NPM_DIR/node_modules/phaser/package.json').version" 2>/dev/null), $SPRITES sprites and 12 texts, canvas renderer, $FRAME_RUNS runs each"
  local scene="$PAGES/play/game/scene.html?sprites=$SPRITES&warm=$FRAME_WARM&span=$FRAME_SPAN"
  make_program frames "$scene"
  local run start out size chat pid with label
  : >"$WORK/fps-engine"
  for with in $FRAME_CHAT; do : >"$WORK/fps-program-$with"; done
  printf '%-34s %7s   %s\n' "" fps "CPU ms per frame: main renderers other"
  for run in $(seq "$FRAME_RUNS"); do
    for with in $FRAME_CHAT; do
      start=$(report_lines)
      start_program frames
      pid=$PROGRAM_PID
      wait_report "kind=loaded&page=scene" 60 "$start" >/dev/null
      if [ "$with" = 1 ]; then
        # The GM chat window opens over the game.
        chat=
        for _ in $(seq 40); do
          open_chat "$pid" || true
          sleep 0.5
          chat=$(chat_window "$pid")
          [ -n "$chat" ] && break
        done
        [ -n "$chat" ] || echo "  (the chat window did not open)" >&2
        grep -q "kind=span" <(tail -n +"$((start + 1))" "$WORK/pages.out") &&
          echo "  (the chat window opened after the measurement began)" >&2
        label="program, chat window open"
      else
        label="program"
      fi
      out=$(frame_span "$pid" "$start")
      stop "$pid"
      echo "$out" >>"$WORK/fps-program-$with"
      size="$(cut -d' ' -f2 <<<"$out")x$(cut -d' ' -f3 <<<"$out")"
      printf '  run %s %-28s %7s   %s\n' "$run" "$label" "${out%% *}" "$(cut -d' ' -f4- <<<"$out")"
    done
    start=$(report_lines)
    QTWEBENGINE_CHROMIUM_FLAGS="$BASE_FLAGS $KEEP_FLAGS" XDG_DATA_HOME="$WORK/engine-frames" \
      "$BUILD/bench/engine_baseline" --size "$size" "$scene" scene.html "$CHAT" \
      >"$WORK/engine-frames.out" 2>&1 &
    pid=$!
    PIDS+=("$pid")
    out=$(frame_span "$pid" "$start")
    stop "$pid"
    echo "$out" >>"$WORK/fps-engine"
    printf '  run %s %-28s %7s   %s\n' "$run" "engine alone ($size)" "${out%% *}" "$(cut -d' ' -f4- <<<"$out")"
  done
  local em pm
  em=$(cut -d' ' -f1 "$WORK/fps-engine" | median)
  for with in $FRAME_CHAT; do
    pm=$(cut -d' ' -f1 "$WORK/fps-program-$with" | median)
    echo "median fps$([ "$with" = 1 ] && echo ", chat window open"): program $pm, engine alone $em, ratio $(ratio "$pm" "$em")"
  done
}

# ---------------------------------------------------------------------------------------------
# 3. Soak

scaled() { awk -v n="$1" -v s="$SOAK_SCALE" -v r="$SOAK_ROUNDS" 'BEGIN {v = int(n * s / r + 0.5); print (v < 1 ? 1 : v)}'; }

chat_cycle() {
  local pid=$1 chat geometry x y
  for _ in $(seq 10); do
    open_chat "$pid" || true
    sleep 0.1
    chat=$(chat_window "$pid")
    [ -n "$chat" ] && break
    sleep 0.2
  done
  [ -n "$chat" ] || return 1
  # Its close button: a copy of the game's first button, 406 px from its left edge.
  geometry=$(xdotool getwindowgeometry --shell "$chat")
  x=$(sed -n 's/^X=//p' <<<"$geometry")
  y=$(sed -n 's/^Y=//p' <<<"$geometry")
  xdotool mousemove $((x + 406)) $((y + 10)) click 1
  for _ in $(seq 50); do
    [ -z "$(chat_window "$pid")" ] && return 0
    sleep 0.1
  done
  return 1
}

# Clicks the game page at x, y of the page (below the title band).
click_page() { click_game "$1" "$2" $((44 + $3)); }

part_soak() {
  local reloads chats purges crashes popups seconds boss
  reloads=$(scaled 200)
  chats=$(scaled 100)
  purges=$(scaled 50)
  crashes=$(scaled 20)
  popups=$(scaled 100)
  seconds=$(scaled 60)
  boss=$(scaled 200)
  echo "== soak: $SOAK_ROUNDS rounds; each: $reloads game-page reloads, $chats chat window cycles," \
    "$purges cache purges, $crashes renderer crashes, $popups pop-ups, 500 bridge calls/s for" \
    "$seconds s, $boss boss key cycles"
  make_program soak "$PAGES/play/game/soak.html?reloads=$((reloads - 1))&rate=$BRIDGE_RATE&seconds=$seconds&r=0"
  local start pid round failures=0 line chatfail=0 popfail=0 opened=0 lastcrash=0 calls t0 n k probed
  : >"$WORK/answers"
  # An outside command between the session's steps: a cache purge (the question answered OK),
  # timed from the sender's start to its exit; a refusal counts as a failure.
  probe() {
    local p0
    [ "$probed" -lt "$purges" ] || return 0
    probed=$((probed + 1))
    p0=$(date +%s%N)
    if command_to soak 1527; then
      echo $((($(date +%s%N) - p0) / 1000000)) >>"$WORK/answers"
    else
      failures=$((failures + 1))
    fi
  }
  start=$(report_lines)
  start_program soak
  pid=$PROGRAM_PID
  wait_report "kind=round&r=0" 180 "$start" >/dev/null
  printf '%5s %9s %6s %8s %8s %7s %s\n' round "PSS MB" fds windows pixmaps calls seconds
  for round in $(seq "$SOAK_ROUNDS"); do
    t0=$(date +%s)
    probed=0
    # A new round of the page: it loads anew, reloads itself and calls the bridge.
    start=$(report_lines)
    touch "$WORK/go-$round"
    line=$(wait_report "kind=round&r=$round&" 300 "$start")
    calls=$(field "$line" calls)
    probe
    for n in $(seq "$popups"); do
      start=$(report_lines)
      click_page "$pid" 400 300 || true
      if ! wait_report "kind=popup&opened=1" 5 "$start" >/dev/null 2>&1; then
        popfail=$((popfail + 1))
        [ "$opened" -eq 0 ] && { popfail=$((popfail + popups - n)); break; }
      else
        opened=$((opened + 1))
      fi
    done
    probe
    for n in $(seq "$chats"); do chat_cycle "$pid" || chatfail=$((chatfail + 1)); done
    probe
    for n in $(seq "$boss"); do
      xdotool key alt+d
      sleep 0.15
      xdotool key alt+d
      sleep 0.15
    done
    probe
    for n in $(seq "$crashes"); do
      # At most three deaths a minute: the fourth would make the program stop reloading.
      k=$(( $(date +%s) - lastcrash ))
      [ "$k" -lt 21 ] && sleep $((21 - k))
      lastcrash=$(date +%s)
      # The game page's renderer: the busiest one (the page draws every frame).
      local killed
      killed=$(for k in $(renderers "$pid"); do
                 echo "$(awk '{print $14 + $15}' "/proc/$k/stat" 2>/dev/null || echo 0) $k"
               done | sort -n | tail -1 | cut -d' ' -f2)
      [ -n "$killed" ] && kill -9 "$killed" 2>/dev/null
      # The program loads the pages again in new renderers.
      for _ in $(seq 300); do
        [ -n "$(renderers "$pid" | grep -vxF -f <(printf "%s\n" $killed) || true)" ] && break
        sleep 0.1
      done
      sleep 3
    done
    while [ "$probed" -lt "$purges" ]; do probe; done
    sleep 2
    read -r wins pxms < <(x_resources "$pid")
    printf '%5s %9s %6s %8s %8s %7s %s\n' "$round" "$(($(pss_kb "$pid") / 1024))" \
      "$(fd_count "$pid")" "$wins" "$pxms" "$calls" "$(($(date +%s) - t0))" | tee -a "$WORK/soak-figures"
    kill -0 "$pid" 2>/dev/null || { echo "the program ended during the soak"; return 1; }
  done
  stop "$pid"
  echo "outside commands answered: $(wc -l <"$WORK/answers") (median $(median <"$WORK/answers") ms," \
    "slowest $(sort -n "$WORK/answers" | tail -1) ms), refused: $failures"
  echo "page bridge calls: $(grep -o 'kind=round&r=[0-9]*&calls=[0-9]*' "$WORK/pages.out" |
    awk -F= '{n += $NF} END {print n + 0}'), page loads without the bridge: $(grep -c 'what=no-bridge' "$WORK/pages.out" || true)"
  echo "chat cycles failed: $chatfail; pop-ups opened and closed: $opened, failed: $popfail"
  echo "messages the program showed (answered):"
  sort "$WORK/messages-soak" 2>/dev/null | uniq -c || true
  awk 'NR == 1 {p = $2; f = $3; w = $4; x = $5} {P = $2; F = $3; W = $4; X = $5}
    END {printf "growth from round 1 to round %d: PSS %+.1f %%, fds %+.1f %%, windows %+.1f %%, pixmaps %+.1f %%\n",
      NR, 100 * (P - p) / p, 100 * (F - f) / f, (w ? 100 * (W - w) / w : 0), (x ? 100 * (X - x) / x : 0)}' \
    "$WORK/soak-figures"
}

echo "Launcher runtime benchmark: $(nproc) cores, display $DISPLAY (openbox, trayer), $(date -u +%FT%TZ)"
for part in $PARTS; do "part_$part"; done
