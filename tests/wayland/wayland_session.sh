#!/usr/bin/env bash
# The built program as a native Wayland client under a headless sway: black in the launcher's
# page shows the artwork and a press there reaches the frame and drags the launcher, while the
# page's other pixels keep their presses; the launcher shows its artwork with the dark login page
# over it and a click on a server hands the game over; the game window shows the
# game page in its frame, the GM chat window comes up attached to it, full screen goes on and off;
# without a desktop portal the boss key is missing and the log says so once.
# Input comes from a virtual pointer (wayland_pointer), pictures from grim.
# usage: wayland_session.sh LAUNCHER DEMO_SITE DEMO_PACKAGE WAYLAND_POINTER
set -euo pipefail
started=$SECONDS
say() { echo "[$((SECONDS - started)) s] $*"; }
launcher=$(realpath "$1") site_bin=$(realpath "$2") package_bin=$(realpath "$3") pointer_bin=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wayland_compositor.sh"
. "$here/../demo_site.sh"

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --disable-component-update --no-first-run"
work=$(mktemp -d)
chmod 755 "$work"
site_pid="" launcher_pid="" pointer_pid="" pages_pid=""
cleanup() {
  for pid in $launcher_pid $pointer_pid $site_pid $pages_pid; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  stop_wayland_compositor
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  local shot="${LAUNCHER_TEST_ARTIFACTS:-/tmp}/wayland-session-failure.png"
  mkdir -p "$(dirname "$shot")"
  grim "$shot" 2>/dev/null || true
  echo "FAIL: $* (screen: $shot)"
  tail -8 "$work/err" 2>/dev/null || true
  exit 1
}

start_wayland_compositor "$work" 1600 1000
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LAUNCHER_COMMAND_CHANNEL=$work/channel
# No session bus, so no desktop portal: the boss key's fallback.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus

start_demo_site "$work" "$site_bin"
mkdir -p "$work/run"
"$package_bin" --site "$base" --out "$work/run/config.zip" --set macCountApiUrl= --set firstUrl= >/dev/null

mkfifo "$work/pointer"
exec 7<>"$work/pointer"
"$pointer_bin" 1600 1000 <&7 >"$work/pointer.out" 2>&1 &
pointer_pid=$!
wait_until 50 grep -q ready "$work/pointer.out" || fail "the virtual pointer did not come up"
pointer() { printf '%s\n' "$@" >&7; }

shoot() { grim "$work/shot.png" 2>/dev/null; }
# Pixels of a colour (within a small tolerance) in the last screenshot, within GEOMETRY
# (WxH+X+Y): "COUNT X Y", X Y the middle of the first area of that colour.
pixels_of() {
  local colour=$1 geometry=${2:-1600x1000+0+0}
  convert "$work/shot.png" -crop "$geometry" +repage -fuzz 6% -fill black +opaque "$colour" \
    -fill white -opaque "$colour" -colorspace gray "$work/mask.png" 2>/dev/null || { echo "0 0 0"; return; }
  local count centre
  count=$(convert "$work/mask.png" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null || echo 0)
  if [ "${count:-0}" -eq 0 ]; then echo "0 0 0"; return; fi
  centre=$(convert "$work/mask.png" -define connected-components:verbose=true \
             -connected-components 8 null: 2>/dev/null |
           awk '$NF ~ /gray\(255\)|#FFFFFF|white/ { split($3, c, ","); printf "%d %d", c[1], c[2]; exit }')
  echo "$count ${centre:-0 0}"
}
pixel_at() { convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null; }

cd "$work/run"
start_launcher() {
  QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="launcher.handover.debug=true" \
    env -u DISPLAY "$launcher" "$1" >"$work/out" 2>"$work/err" &
  launcher_pid=$!
}
stop_launcher() {
  kill -TERM "$launcher_pid" 2>/dev/null || true
  wait "$launcher_pid" 2>/dev/null || true
  launcher_pid=""
  wait_until 100 sh -c "! swaymsg -t get_tree | grep -q '\"pid\": '" || fail "the launcher did not go"
}
# Presses at X Y and drags by 100, 50; prints where the launcher's window is afterwards.
drag_from() {
  pointer "move $1 $2" sync
  sleep 0.3
  pointer press sync
  sleep 0.3
  local step
  for step in 1 2 3 4 5; do pointer "move $(($1 + step * 20)) $(($2 + step * 10))"; sleep 0.05; done
  pointer release sync
  sleep 0.5
  window_rect '龙域传说'
}

# A page half black: the black half shows the artwork and takes the frame's drag, the other
# half keeps its presses.
page_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$page_port" --bind 127.0.0.1 --directory "$here" >"$work/pages.log" 2>&1 &
pages_pid=$!
wait_until 50 python3 -c "import socket; socket.create_connection(('127.0.0.1', $page_port))" ||
  fail "the page server did not start"
start_launcher "http://127.0.0.1:$page_port/black_half.html"
read -r lx ly lw lh <<<"$(wait_for_window '龙域传说' 60)" || fail "no launcher window"
# The shape follows the page's first frame a moment after it is drawn: wait for both.
drawn="" keyed=""
for _ in $(seq 1 150); do
  shoot
  read -r page _ _ <<<"$(pixels_of '#2a0a3a' "$((lw / 2))x$((lh / 2))+$((lx + lw / 2))+$((ly + lh / 4))")"
  if [ "${page:-0}" -gt 20000 ]; then
    drawn=1
    if [ "$(pixel_at $((lx + 140)) $((ly + 280)))" != "srgb(0,0,0)" ]; then keyed=1; break; fi
  fi
  sleep 0.2
done
[ -n "$drawn" ] || fail "the half-black page never showed"
[ -n "$keyed" ] || fail "the page's black is drawn, not see-through"
read -r mx my _ _ <<<"$(drag_from $((lx + 700)) $((ly + 280)))"
[ "$mx" -eq "$lx" ] && [ "$my" -eq "$ly" ] || fail "a press on the page's own pixels moved the launcher"
read -r mx my _ _ <<<"$(drag_from $((lx + 140)) $((ly + 280)))"
# The compositor's move starts from where the pointer is when it takes over.
[ "$((mx - lx))" -ge 60 ] && [ "$((mx - lx))" -le 100 ] && [ "$((my - ly))" -ge 30 ] &&
  [ "$((my - ly))" -le 50 ] || fail "a press on the page's black did not drag the launcher ($mx,$my)"
say "launcher: the page's black shows the artwork and drags the launcher to $mx,$my"
stop_launcher

start_launcher "$base/login"
# The launcher: a floating window of the artwork's size, its login page drawn over the artwork.
read -r lx ly lw lh <<<"$(wait_for_window '龙域传说' 60)" || fail "no launcher window"
say "launcher window up"
[ "$lw" = 880 ] && [ "$lh" = 560 ] || fail "launcher window is ${lw}x${lh}, not the artwork's 880x560"
seen=""
for _ in $(seq 1 150); do
  shoot
  read -r lamps cx cy <<<"$(pixels_of '#5fe07a' "${lw}x${lh}+${lx}+${ly}")"
  read -r qq _ _ <<<"$(pixels_of '#1f5fa8' "${lw}x${lh}+${lx}+${ly}")"
  if [ "${lamps:-0}" -gt 40 ] && [ "${qq:-0}" -gt 200 ]; then seen="$((lx + cx)) $((ly + cy))"; break; fi
  sleep 0.2
done
[ -n "$seen" ] || fail "the login page never showed in the launcher"
# The artwork's own title band is drawn, and its transparent corner shows the desktop.
[ "$(pixel_at $((lx + 240)) $((ly + 30)))" != "$(pixel_at 5 5)" ] || fail "no artwork where its title is"
[ "$(pixel_at "$lx" "$ly")" = "$(pixel_at 5 5)" ] || fail "the artwork's transparent corner is not see-through"
say "launcher: ${lw}x${lh} at $lx,$ly with its artwork and the login page"

# A click on a server lamp reaches the page: the game address is handed over.
read -r sx sy <<<"$seen"
pointer "move $sx $sy" click sync
wait_until 100 grep -q 'game address: ' "$work/err" || fail "a click on the login page did not reach it"

# The game window: the frame's title band and the game page's own pixels.
game=""
for _ in $(seq 1 300); do
  shoot
  read -r gold _ _ <<<"$(pixels_of '#c99a44' 480x900+1120+80)"
  if [ "$(pixel_at 700 30)" = "srgb(82,7,11)" ] && [ "${gold:-0}" -gt 500 ]; then game=1; break; fi
  sleep 0.2
done
[ -n "$game" ] || fail "the game window did not show its frame and the game page"
read -r gx gy gw gh <<<"$(window_rect '龙域传说')"
[ "$gw" = 1600 ] && [ "$gh" = 1000 ] || fail "the game window does not fill the output (${gw}x${gh})"
say "game window: ${gw}x${gh} with its title band and the game page"

# The GM chat button shows once the chat page named the GM; a click opens the chat window,
# which the compositor keeps with the game window.
wait_until 100 grep -q '"path":"/gm/chat"' "$work/site.log" || fail "the chat page was never asked for"
chat=""
for _ in $(seq 1 30); do
  pointer "move 1317 22" click sync
  if wait_until 20 window_rect '客服小美' >/dev/null; then chat=1; break; fi
done
[ -n "$chat" ] || fail "the GM chat window did not come up"
read -r cx cy cw ch <<<"$(window_rect '客服小美')"
[ "$cw" = 438 ] && [ "$ch" = 413 ] || fail "the chat window is ${cw}x${ch}"
say "chat window: ${cw}x${ch} at $cx,$cy"

# Full screen on and off through the outside command.
"$launcher" --command 1528 || fail "the game window did not take the full-screen command"
wait_until 50 window_fullscreen '龙域传说' || fail "the game window did not go full screen"
on=""
for _ in $(seq 1 50); do
  shoot
  if [ "$(pixel_at 700 30)" != "srgb(82,7,11)" ]; then on=1; break; fi
  sleep 0.2
done
[ -n "$on" ] || fail "the title band still shows in full screen"
"$launcher" --command 1528 || fail "the game window did not take the second full-screen command"
off=""
for _ in $(seq 1 50); do
  shoot
  if ! window_fullscreen '龙域传说' && [ "$(pixel_at 700 30)" = "srgb(82,7,11)" ]; then off=1; break; fi
  sleep 0.2
done
[ -n "$off" ] || fail "the game window did not come back from full screen with its title band"
say "full screen: on and off"

# No portal: said once, and the window goes on.
n=$(grep -c 'launcher.bosskey: boss key (Alt+D) unavailable' "$work/err" || true)
[ "$n" = 1 ] || fail "the boss key's absence was logged $n times, not once"
kill -0 "$launcher_pid" || fail "the program ended"
say "boss key: no portal, said once"
